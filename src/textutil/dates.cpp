#include "textutil/dates.h"

#include <QStringList>

namespace textutil {

namespace {

bool allDigits(QStringView s) {
  if (s.isEmpty()) return false;
  for (QChar c : s)
    if (c < u'0' || c > u'9') return false;
  return true;
}

int windowedYear(int twoDigitYear, int currentYear) {
  const int base = currentYear - kTwoDigitYearWindow;
  int year = twoDigitYear + base / 100 * 100;
  if (year < base) year += 100;
  return year;
}

}  // namespace

QString dateToText(const QDate& date) {
  return date.isValid() ? date.toString(QLatin1String(kShortDateFormatQt)) : QString();
}

QString dateTimeToText(const QDateTime& dateTime) {
  return dateTime.isValid() ? dateTime.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) : QString();
}

QString dateToCompactText(const QDate& date) {
  return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) : QString();
}

std::optional<QDate> tryTextToDate(const QString& text, int currentYear) {
  if (currentYear == 0) currentYear = QDate::currentDate().year();
  const QStringList parts = text.trimmed().split(u'/');
  if (parts.size() != 2 && parts.size() != 3) return std::nullopt;
  const QString& d = parts[0];
  const QString& m = parts[1];
  if (!allDigits(d) || d.size() > 2 || !allDigits(m) || m.size() > 2) return std::nullopt;
  int year = currentYear;
  if (parts.size() == 3) {
    const QString& y = parts[2];
    if (!allDigits(y) || y.size() == 3 || y.size() > 4) return std::nullopt;
    year = y.toInt();
    if (y.size() <= 2) year = windowedYear(year, currentYear);
  }
  const QDate date(year, m.toInt(), d.toInt());
  if (!date.isValid() || year < 1) return std::nullopt;
  return date;
}

std::optional<QDate> tryTypedDate(const QString& text, int currentYear) {
  const QStringList parts = text.trimmed().split(u'/');
  if (parts.size() == 3 && parts[2].size() == 4 && allDigits(parts[2]) && parts[2].toInt() >= kBuddhistEraFirstYear) {
    const QString& d = parts[0];
    const QString& m = parts[1];
    if (!allDigits(d) || d.size() > 2 || !allDigits(m) || m.size() > 2) return std::nullopt;
    // The day is checked in the Christian-era year: 29/02/2567 is a leap day, 2567 itself is no leap year.
    const QDate date(parts[2].toInt() - kBuddhistEraOffset, m.toInt(), d.toInt());
    if (!date.isValid()) return std::nullopt;
    return date;
  }
  return tryTextToDate(text, currentYear);
}

QDate textToDate(const QString& text) {
  if (auto d = tryTextToDate(text)) return *d;
  throw ConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
}

std::optional<QDateTime> tryTextToDateTime(const QString& text, int currentYear) {
  const QString t = text.trimmed();
  const qsizetype blank = t.indexOf(u' ');
  const auto date = tryTextToDate(blank < 0 ? t : t.left(blank), currentYear);
  if (!date) return std::nullopt;
  if (blank < 0) return QDateTime(*date, QTime(0, 0));
  const QStringList parts = t.mid(blank).trimmed().split(u':');
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  int hms[3] = {0, 0, 0};
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (!allDigits(parts[i]) || parts[i].size() > 2) return std::nullopt;
    hms[i] = parts[i].toInt();
  }
  const QTime time(hms[0], hms[1], hms[2]);
  if (!time.isValid()) return std::nullopt;
  return QDateTime(*date, time);
}

QDateTime textToDateTime(const QString& text) {
  if (auto d = tryTextToDateTime(text)) return *d;
  throw ConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
}

std::optional<int> tryTextToInt(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
    negative = text[i] == u'-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == u'$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return std::nullopt;
  qint64 value = 0;
  for (; i < text.size(); ++i) {
    const int digit = text[i].isDigit() && text[i].unicode() < 128 ? text[i].unicode() - '0'
                      : (base == 16 && text[i].toLower() >= u'a' && text[i].toLower() <= u'f')
                          ? text[i].toLower().unicode() - 'a' + 10
                          : -1;
    if (digit < 0) return std::nullopt;
    value = value * base + digit;
    if (value > qint64(1) << 32) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL || value < -2147483648LL) return std::nullopt;
  return static_cast<int>(value);
}

int textToInt(const QString& text) {
  if (auto v = tryTextToInt(text)) return *v;
  throw ConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

}  // namespace textutil
