#include "textutil/helpers.h"

#include "textutil/platform.h"

namespace textutil {

int YearOfDate(const QDate& date) { return date.year(); }
int YearOfDate(const QDateTime& dateTime) { return dateTime.date().year(); }
int MonthOfDate(const QDate& date) { return date.month(); }
int MonthOfDate(const QDateTime& dateTime) { return dateTime.date().month(); }

QString GetLocalIP() {
  const QStringList addresses = platform::ipv4Addresses();
  QString loopback;
  QString last;
  for (const QString& a : addresses) {
    if (a.startsWith(QLatin1String("127."))) loopback = a;
    else last = a;
  }
  return last.isEmpty() ? loopback : last;
}

QString GetComputerNameText() {
  const QString name = platform::hostName();
  qsizetype begin = 0;
  qsizetype end = name.size();
  auto blankOrControl = [](QChar c) { return c.unicode() <= 32 || c.category() == QChar::Other_Control; };
  while (begin < end && blankOrControl(name[begin])) ++begin;
  while (end > begin && blankOrControl(name[end - 1])) --end;
  return name.mid(begin, end - begin);
}

QString GetLogonUserName() {
  return upperAsciiLetters(platform::logonUserName().value_or(QStringLiteral("Unknown")));
}

QString TrimLeadingSpaces(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  return text.mid(i);
}

QString upperAsciiLetters(const QString& text) {
  QString out = text;
  for (QChar& c : out)
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 'a' + 'A');
  return out;
}

}  // namespace textutil
