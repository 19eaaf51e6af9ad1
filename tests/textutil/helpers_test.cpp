#include "textutil/helpers.h"
#include "textutil/platform.h"

#include <QRegularExpression>
#include <QSysInfo>
#include <gtest/gtest.h>

using namespace textutil;

namespace {

TEST(Helpers, YearAndMonthOfDate) {
  EXPECT_EQ(YearOfDate(QDateTime(QDate(2024, 12, 31), QTime(23, 59))), 2024);
  EXPECT_EQ(MonthOfDate(QDateTime(QDate(2024, 12, 31), QTime(23, 59))), 12);
  EXPECT_EQ(YearOfDate(QDate(2016, 3, 5)), 2016);
  EXPECT_EQ(MonthOfDate(QDate(2016, 3, 5)), 3);
}

TEST(Helpers, TrimLeadingSpacesRemovesOnlyLeadingBlanks) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"   12", "12"}, {"   ", ""}, {"", ""}, {" 12 ", "12 "}, {"\t 12", "\t 12"}, {"12", "12"}};
  for (const auto& c : cases) EXPECT_EQ(TrimLeadingSpaces(QString::fromLatin1(c.in)), QString::fromLatin1(c.out));
}

TEST(Helpers, UpperCasesOnlyAsciiLetters) {
  EXPECT_EQ(upperAsciiLetters(QStringLiteral("possible Network error é ก")),
            QStringLiteral("POSSIBLE NETWORK ERROR é ก"));
}

TEST(Helpers, ComputerNameIsTrimmedHostName) {
  const QString name = GetComputerNameText();
  ASSERT_FALSE(name.isEmpty());
  EXPECT_EQ(name, QSysInfo::machineHostName().trimmed()) << "the name the system gives the machine";
  EXPECT_FALSE(name.front().isSpace());
  EXPECT_FALSE(name.back().isSpace());
}

TEST(Helpers, LogonUserNameIsUpperCased) {
  const QString user = GetLogonUserName();
  ASSERT_FALSE(user.isEmpty());
  EXPECT_FALSE(user.contains(QRegularExpression(QStringLiteral("[a-z]"))));
  EXPECT_EQ(user, upperAsciiLetters(platform::logonUserName().value_or(QStringLiteral("Unknown"))));
}

TEST(Helpers, LocalIpIsTheLastAddressPreferringNonLoopback) {
  const QStringList all = platform::ipv4Addresses();
  const QString ip = GetLocalIP();
  if (all.isEmpty()) {
    EXPECT_TRUE(ip.isEmpty());
    return;
  }
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$")).match(ip).hasMatch()) << ip.toStdString();
  QStringList nonLoopback;
  for (const QString& a : all)
    if (!a.startsWith(QLatin1String("127."))) nonLoopback << a;
  EXPECT_EQ(ip, nonLoopback.isEmpty() ? all.last() : nonLoopback.last());
}

}  // namespace
