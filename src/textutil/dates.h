// The process-wide short date format "dd/mm/yyyy" and every conversion between dates and texts,
// plus the conversion of command-line texts to integers. Conversion failures are ConvertError,
// whose message reads like the run-time's ("'2024-12-31' is not a valid date"); the error reporter
// recognises the words "is not a valid date".
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>
#include <stdexcept>

namespace textutil {

class ConvertError : public std::runtime_error {
 public:
  explicit ConvertError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

// The short date format in the run-time's notation ("mm" the month, "nn" the minutes), and the
// same format in Qt's notation for date edits and QDate::toString.
inline constexpr char kShortDateFormat[] = "dd/mm/yyyy";
inline constexpr char kShortDateFormatQt[] = "dd/MM/yyyy";
// Two-digit years fall within 50 years before and 49 years after the current year.
inline constexpr int kTwoDigitYearWindow = 50;

// "31/12/2024"; the empty text for an invalid date.
QString dateToText(const QDate& date);
// "31/12/2024 23:59:05"; the empty text for an invalid date-time.
QString dateTimeToText(const QDateTime& dateTime);
// "yyyymmdd" (the compact date used in file names and remarks).
QString dateToCompactText(const QDate& date);

// Reads a date written day/month/year: blanks around the text are ignored; the day and the month
// have one or two digits; the year has four digits, or one or two digits placed in the window
// around the current year; a text of only day/month takes the current year. Any other text
// ("2024-12-31", "31.12.2024", "31/12/2024 10:00", "31/02/2024") is not a date.
// `currentYear` 0 means the year of today.
std::optional<QDate> tryTextToDate(const QString& text, int currentYear = 0);
// As tryTextToDate; raises ConvertError "'<text>' is not a valid date".
QDate textToDate(const QString& text);

// Four-digit years from this one on are years of the Buddhist era, which Thai documents print
// (2569 is 2026); they are 543 years ahead of the Christian era.
inline constexpr int kBuddhistEraFirstYear = 2400;
inline constexpr int kBuddhistEraOffset = 543;
// A date as a clerk types it into a date field: as tryTextToDate, except that a four-digit year of
// kBuddhistEraFirstYear or more is a Buddhist-era year ("11/12/2569" is 11 December 2026; "29/02/2567"
// is 29 February 2024). Only what is typed is read so; stored dates and the report functions keep
// the Christian era.
std::optional<QDate> tryTypedDate(const QString& text, int currentYear = 0);

// A date as above, optionally followed by blanks and a time h:n or h:n:s (24-hour clock).
std::optional<QDateTime> tryTextToDateTime(const QString& text, int currentYear = 0);
// Raises ConvertError "'<text>' is not a valid date and time".
QDateTime textToDateTime(const QString& text);

// Reads a signed 32-bit integer: leading blanks, an optional sign, decimal digits, or hexadecimal
// digits after "$" or "0x". Nothing may follow the digits.
std::optional<int> tryTextToInt(const QString& text);
// Raises ConvertError "'<text>' is not a valid integer value".
int textToInt(const QString& text);

}  // namespace textutil
