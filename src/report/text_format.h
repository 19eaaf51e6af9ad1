// Number and date texts used by the report engine: the program's number format language (the
// shared text utilities' formatter), the short date format "dd/mm/yyyy", the long time format, and
// the conversions of texts to numbers and dates.
#pragma once

#include <QChar>
#include <QDateTime>
#include <QString>
#include <optional>

namespace report {

// The system settings the conversions follow (one set for the whole process).
struct FormatSettings {
  QChar decimalSeparator = QLatin1Char('.');
  QChar thousandSeparator = QLatin1Char(',');
  QString shortDateFormat = QStringLiteral("dd/mm/yyyy");
  QString longTimeFormat = QStringLiteral("hh:nn:ss");
};
FormatSettings& formatSettings();

// Formats a number with a format such as "#,##0.00", "###,###,##0 " or "#,##0.00;(#,##0.00);-":
// sections for positive;negative;zero, "0" a digit always written, "#" a digit written when
// significant, "," anywhere in the integer part groups thousands, "." the decimal point, texts in
// quotes and other characters written as they are. A format with no "0" writes nothing for 0.
// An empty format writes the number unformatted.
QString formatNumber(const QString& format, double value);

// Formats a date-time with d, dd, m, mm, mmm, mmmm, yy, yyyy, h, hh, n, nn, s, ss, z, zzz,
// am/pm, "/" and ":" and quoted literals. "c" gives the short date plus the time when not midnight.
QString formatDateTime(const QString& format, const QDateTime& dt);
QString shortDateText(const QDateTime& dt);  // "dd/mm/yyyy"
QString longTimeText(const QDateTime& dt);   // "hh:nn:ss"
// The short date, followed by the long time when the time is not midnight.
QString defaultDateTimeText(const QDateTime& dt);

// Text to value conversions of the system format; nullopt when the text does not read.
std::optional<qint64> readInteger(const QString& text);  // 32-bit signed range, "$1F" hex too
std::optional<double> readNumber(const QString& text);   // system decimal separator, exponent
std::optional<QDateTime> readDate(const QString& text);  // d/m/yyyy [h:n[:s]], also ISO texts

// The character of a byte of the system code page (874, Thai).
QChar codePageChar(int byte);

}  // namespace report
