// The embedded server's SQL functions and its clock.
//
// Registered on every SQLite handle the database client opens (see install() in embedded.h):
//   GETDATE()              the server's current date and time, "yyyy-MM-dd HH:mm:ss"
//   YEAR(d), MONTH(d), DAY(d)
//   LEN(s)                 characters of s without trailing blanks (T-SQL LEN)
//   SCOPE_IDENTITY()       the identity of the last row inserted on this connection
//   DATEONLY(d)            d with the time part removed        (T-SQL: Convert(DateTime, Convert(Char(8), d, 112)))
//   ADDDAYS(d, n)          d plus n days                        (T-SQL: DateAdd(Day, n, d))
//   DATEKEY(d)             "yyyymmdd"                           (T-SQL: Convert(Char(8), d, 112))
//   TODATETIME(text)       a date text read as SQL Server reads it (T-SQL: Convert(DateTime, text));
//                          fails with SQL Server's conversion message when the text is no date
//   SHOWQTYUNITS(product, qty)  qty base units of the product written in its large and small units
//                          (T-SQL: dbo.ShowQtyUnits(product, qty)); SQLite twins call it without "dbo."
// ISNULL cannot be a function name on SQLite (it is an operator keyword there): the SQLite twin of a
// statement writes Coalesce(a, b) for T-SQL's IsNull(a, b).
// Dates are read from ISO text ("yyyy-MM-dd", "yyyy-MM-dd HH:mm:ss", with "T" or fractions too).
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

namespace embedded {

// The server's current date and time (seconds precision). Normally the local clock; the variable
// CONSOLIDATE_SERVER_TIME="yyyy-MM-dd HH:mm:ss" starts the clock at that moment when the process
// starts (it then runs on), so that a whole run sees a chosen day.
QDateTime serverNow();
// Replaces the clock in this process (tests); an empty function restores the normal clock.
void setServerClock(std::function<QDateTime()> clock);

// Registers the functions on an sqlite3* handle. Called by the open hook that install() adds.
void registerServerFunctions(void* sqlite3Handle);

// A date value of a column or parameter ("yyyy-MM-dd[ HH:mm:ss]" text); invalid when it is none.
QDateTime parseIsoDateTime(const QString& text);
// A date text read the way SQL Server's Convert(DateTime, text) reads it with its default settings:
// ISO forms, "yyyymmdd", and "m/d/yyyy" (month first). Invalid when the text is no date.
QDateTime parseServerDateText(const QString& text);

// The text of qty base units in units of a product, as printed on documents: whole large units
// and the remaining small units ("2 กล่อง 6 ชิ้น"). Used by SHOWQTYUNITS.
struct UnitText {
  QString largeName;   // the large unit (the stock unit)
  int largeFraction = 1;
  QString smallName;   // the small (base) unit
  bool found = false;  // false: the product has no units
  int onhandDecimal = 0;  // Config.OnhandDecimal: decimals of the quantities; 0 = up to six
  QString unitLeft, unitRight;  // Config.UnitLeft / UnitRight around each unit name
};
QString quantityInUnits(const UnitText& u, double qty);

}  // namespace embedded
