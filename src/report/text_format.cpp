#include "report/text_format.h"

#include "textutil/cp874.h"
#include "textutil/number_format.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace report {

FormatSettings& formatSettings() {
  static FormatSettings settings;
  return settings;
}

QString formatNumber(const QString& format, double value) {
  textutil::NumberFormatSettings settings;
  settings.decimalSeparator = formatSettings().decimalSeparator;
  settings.thousandSeparator = formatSettings().thousandSeparator;
  return textutil::formatFloat(format, value, settings);
}

QString formatDateTime(const QString& format, const QDateTime& dt) {
  if (!dt.isValid()) return QString();
  static const char* const kMonthsShort[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static const char* const kMonthsLong[] = {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November", "December"};
  const QDate d = dt.date();
  const QTime t = dt.time();
  QString out;
  bool lastWasHour = false;
  const auto run = [&](int i, QChar c) {
    int n = 0;
    while (i + n < format.size() && format[i + n].toLower() == c) ++n;
    return n;
  };
  for (int i = 0; i < format.size();) {
    const QChar c = format[i];
    const QChar lc = c.toLower();
    if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
      const int end = format.indexOf(c, i + 1);
      const int stop = end < 0 ? format.size() : end;
      out += format.mid(i + 1, stop - i - 1);
      i = stop + 1;
      continue;
    }
    if (format.mid(i, 5).compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
      out += t.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm");
      i += 5;
      continue;
    }
    if (lc == QLatin1Char('c') ) { out += defaultDateTimeText(dt); ++i; lastWasHour = false; continue; }
    const int n = run(i, lc);
    bool hour = false;
    if (lc == QLatin1Char('d')) {
      if (n == 1) out += QString::number(d.day());
      else out += QStringLiteral("%1").arg(d.day(), 2, 10, QLatin1Char('0'));
    } else if (lc == QLatin1Char('m') && lastWasHour) {
      out += n == 1 ? QString::number(t.minute()) : QStringLiteral("%1").arg(t.minute(), 2, 10, QLatin1Char('0'));
    } else if (lc == QLatin1Char('m')) {
      if (n == 1) out += QString::number(d.month());
      else if (n == 2) out += QStringLiteral("%1").arg(d.month(), 2, 10, QLatin1Char('0'));
      else if (n == 3) out += QLatin1String(kMonthsShort[d.month() - 1]);
      else out += QLatin1String(kMonthsLong[d.month() - 1]);
    } else if (lc == QLatin1Char('y')) {
      if (n <= 2) out += QStringLiteral("%1").arg(d.year() % 100, 2, 10, QLatin1Char('0'));
      else out += QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
    } else if (lc == QLatin1Char('h')) {
      out += n == 1 ? QString::number(t.hour()) : QStringLiteral("%1").arg(t.hour(), 2, 10, QLatin1Char('0'));
      hour = true;
    } else if (lc == QLatin1Char('n')) {
      out += n == 1 ? QString::number(t.minute()) : QStringLiteral("%1").arg(t.minute(), 2, 10, QLatin1Char('0'));
    } else if (lc == QLatin1Char('s')) {
      out += n == 1 ? QString::number(t.second()) : QStringLiteral("%1").arg(t.second(), 2, 10, QLatin1Char('0'));
    } else if (lc == QLatin1Char('z')) {
      out += n < 3 ? QString::number(t.msec()) : QStringLiteral("%1").arg(t.msec(), 3, 10, QLatin1Char('0'));
    } else {
      out += c;
      ++i;
      if (c != QLatin1Char(':') && c != QLatin1Char(' ')) lastWasHour = false;
      continue;
    }
    lastWasHour = hour;
    i += n;
  }
  return out;
}

QString shortDateText(const QDateTime& dt) { return formatDateTime(formatSettings().shortDateFormat, dt); }
QString longTimeText(const QDateTime& dt) { return formatDateTime(formatSettings().longTimeFormat, dt); }

QString defaultDateTimeText(const QDateTime& dt) {
  if (!dt.isValid()) return QString();
  if (dt.time().msecsSinceStartOfDay() == 0) return shortDateText(dt);
  return shortDateText(dt) + QLatin1Char(' ') + longTimeText(dt);
}

std::optional<qint64> readInteger(const QString& text) {
  QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  bool neg = false;
  if (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+')) { neg = t[0] == QLatin1Char('-'); t.remove(0, 1); }
  int base = 10;
  if (t.startsWith(QLatin1Char('$'))) { base = 16; t.remove(0, 1); }
  else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) { base = 16; t.remove(0, 2); }
  if (t.isEmpty()) return std::nullopt;
  for (QChar c : t) {
    if (base == 10 ? !(c >= QLatin1Char('0') && c <= QLatin1Char('9')) : !QStringLiteral("0123456789abcdefABCDEF").contains(c)) return std::nullopt;
  }
  bool ok = false;
  const qint64 v = t.toLongLong(&ok, base);
  if (!ok) return std::nullopt;
  const qint64 r = neg ? -v : v;
  if (r < -2147483648LL || r > 2147483647LL) return std::nullopt;
  return r;
}

std::optional<double> readNumber(const QString& text) {
  QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  const QChar sep = formatSettings().decimalSeparator;
  static const QRegularExpression re(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?$"));
  if (sep != QLatin1Char('.')) {
    if (t.contains(QLatin1Char('.'))) return std::nullopt;
    t.replace(sep, QLatin1Char('.'));
  }
  if (!re.match(t).hasMatch()) return std::nullopt;
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<QDateTime> readDate(const QString& text) {
  const QString t = text.trimmed();
  static const QRegularExpression dmy(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{1,4})(?:\\s+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2})(?:\\.(\\d{1,3}))?)?)?$"));
  static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[T ](\\d{1,2}):(\\d{1,2})(?::(\\d{1,2})(?:\\.(\\d{1,3})\\d*)?)?)?$"));
  int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, z = 0;
  QRegularExpressionMatch mt = dmy.match(t);
  if (mt.hasMatch()) {
    d = mt.captured(1).toInt();
    m = mt.captured(2).toInt();
    y = mt.captured(3).toInt();
    if (mt.captured(3).size() <= 2) y += y < 50 ? 2000 : 1900;
  } else {
    mt = iso.match(t);
    if (!mt.hasMatch()) return std::nullopt;
    y = mt.captured(1).toInt();
    m = mt.captured(2).toInt();
    d = mt.captured(3).toInt();
  }
  h = mt.captured(4).toInt();
  n = mt.captured(5).toInt();
  s = mt.captured(6).toInt();
  z = mt.captured(7).isEmpty() ? 0 : mt.captured(7).leftJustified(3, QLatin1Char('0')).toInt();
  const QDate date(y, m, d);
  if (!date.isValid() || y < 1) return std::nullopt;
  if (!QTime::isValid(h, n, s, z)) return std::nullopt;
  return QDateTime(date, QTime(h, n, s, z));
}

QChar codePageChar(int byte) {
  const QString s = textutil::decodeCp874(QByteArray(1, static_cast<char>(byte & 0xFF)));
  return s.isEmpty() ? QChar(0xFFFD) : s[0];
}

}  // namespace report
