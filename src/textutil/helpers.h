// Small shared helpers: year and month of a date, this computer's name and network address, the
// logged-on user, and removal of leading blanks. None of them raises.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

namespace textutil {

int YearOfDate(const QDate& date);
int YearOfDate(const QDateTime& dateTime);
int MonthOfDate(const QDate& date);
int MonthOfDate(const QDateTime& dateTime);

// This computer's IPv4 address in dotted notation, or the empty text. Of several addresses the
// one listed last is reported; a loopback address only when the computer has no other.
QString GetLocalIP();
// This computer's network name without surrounding blanks and control characters.
QString GetComputerNameText();
// The logged-on user's name with the letters a to z upper-cased, or "UNKNOWN".
QString GetLogonUserName();

// The text without its leading blanks (character 32 only; other white space and trailing blanks
// stay).
QString TrimLeadingSpaces(const QString& text);

// Upper-cases the letters a to z only (the comparisons of the error reporter and the user name).
QString upperAsciiLetters(const QString& text);

}  // namespace textutil
