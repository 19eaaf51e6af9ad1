#include "textutil/dates.h"

#include <gtest/gtest.h>

using namespace textutil;

namespace {

TEST(Dates, WritesTheShortDateFormat) {
  EXPECT_EQ(dateToText(QDate(2024, 3, 5)), QStringLiteral("05/03/2024"));
  EXPECT_EQ(dateToText(QDate()), QString());
  EXPECT_EQ(dateTimeToText(QDateTime(QDate(2024, 12, 31), QTime(7, 8, 9))), QStringLiteral("31/12/2024 07:08:09"));
  EXPECT_EQ(dateToCompactText(QDate(2016, 3, 5)), QStringLiteral("20160305"));
}

TEST(Dates, ReadsDayMonthYearTexts) {
  const int currentYear = 2025;  // two-digit years fall in 1975..2074
  const struct {
    const char* text;
    QDate expected;  // invalid: not a date
  } cases[] = {
      {"31/12/2024", QDate(2024, 12, 31)},
      {" 1/2/2024 ", QDate(2024, 2, 1)},
      {"01/02/24", QDate(2024, 2, 1)},
      {"1/2/75", QDate(1975, 2, 1)},
      {"1/2/74", QDate(2074, 2, 1)},
      {"29/02/2024", QDate(2024, 2, 29)},
      {"31/12", QDate(2025, 12, 31)},
      {"2024-12-31", QDate()},
      {"2024/12/31", QDate()},
      {"31.12.2024", QDate()},
      {"31/02/2024", QDate()},
      {"29/02/2023", QDate()},
      {"12/31/2024", QDate()},
      {"", QDate()},
      {"   ", QDate()},
      {"31/12/2024 10:00", QDate()},
      {"131/12/2024", QDate()},
      {"31/12/024", QDate()},
      {"31/12/20245", QDate()},
      {"a/b/c", QDate()},
      {"31//2024", QDate()},
      {"/12/2024", QDate()},
      {"31/12/2024/1", QDate()},
      {"+1/12/2024", QDate()},
      {"0/12/2024", QDate()},
      {"31", QDate()},
  };
  for (const auto& c : cases) {
    const auto got = tryTextToDate(QString::fromUtf8(c.text), currentYear);
    if (c.expected.isValid()) {
      ASSERT_TRUE(got.has_value()) << c.text;
      EXPECT_EQ(*got, c.expected) << c.text;
    } else {
      EXPECT_FALSE(got.has_value()) << c.text << " read as " << got->toString(Qt::ISODate).toStdString();
    }
  }
}

TEST(Dates, TypedBuddhistEraYearsAreReadInTheChristianEra) {
  const int currentYear = 2026;
  const struct {
    const char* text;
    QDate expected;  // invalid: not a date
  } cases[] = {
      {"11/12/2569", QDate(2026, 12, 11)},
      {" 1/1/2400 ", QDate(1857, 1, 1)},      // the first year read as Buddhist era
      {"31/12/2399", QDate(2399, 12, 31)},    // the last one read as it stands
      {"29/02/2567", QDate(2024, 2, 29)},     // a leap day of 2024, though 2567 is no leap year
      {"29/02/2568", QDate()},                // 2025 has none
      {"11/12/2026", QDate(2026, 12, 11)},    // the Christian era as before
      {"11/12/69", QDate(2069, 12, 11)},      // two digits stay in the window around this year
      {"11/12", QDate(2026, 12, 11)},
      {"32/13/2569", QDate()},
      {"31/04/2569", QDate()},
      {"11/12/25690", QDate()},
      {"11-12-2569", QDate()},
      {"+1/12/2569", QDate()},
      {"11/１2/2569", QDate()},
      {"00/12/2569", QDate()},
  };
  for (const auto& c : cases) {
    const auto got = tryTypedDate(QString::fromUtf8(c.text), currentYear);
    if (c.expected.isValid()) {
      ASSERT_TRUE(got.has_value()) << c.text;
      EXPECT_EQ(*got, c.expected) << c.text;
    } else {
      EXPECT_FALSE(got.has_value()) << c.text << " read as " << got->toString(Qt::ISODate).toStdString();
    }
  }
  // What is not typed keeps the year as it stands.
  EXPECT_EQ(tryTextToDate(QStringLiteral("11/12/2569"), currentYear), QDate(2569, 12, 11));
}

TEST(Dates, FullWidthDigitsAreNotDigits) {
  EXPECT_FALSE(tryTextToDate(QStringLiteral("３１/12/2024"), 2025).has_value());
}

TEST(Dates, ConversionErrorNamesTheText) {
  try {
    textToDate(QStringLiteral("2024-12-31"));
    FAIL() << "no error";
  } catch (const ConvertError& e) {
    EXPECT_EQ(e.message(), QStringLiteral("'2024-12-31' is not a valid date"));
    EXPECT_STREQ(e.what(), "'2024-12-31' is not a valid date");
  }
  EXPECT_EQ(textToDate(QStringLiteral("31/12/2024")), QDate(2024, 12, 31));
}

TEST(Dates, TextRoundTrip) {
  for (QDate d(1999, 12, 25); d < QDate(2000, 3, 5); d = d.addDays(1))
    EXPECT_EQ(textToDate(dateToText(d)), d) << dateToText(d).toStdString();
  const QDateTime dt(QDate(2024, 12, 31), QTime(23, 59, 5));
  EXPECT_EQ(textToDateTime(dateTimeToText(dt)), dt);
}

TEST(Dates, ReadsDateAndTime) {
  EXPECT_EQ(textToDateTime(QStringLiteral("31/12/2024 1:2:3")), QDateTime(QDate(2024, 12, 31), QTime(1, 2, 3)));
  EXPECT_EQ(textToDateTime(QStringLiteral("31/12/2024 23:59")), QDateTime(QDate(2024, 12, 31), QTime(23, 59)));
  EXPECT_EQ(textToDateTime(QStringLiteral("31/12/2024")), QDateTime(QDate(2024, 12, 31), QTime(0, 0)));
  for (const char* bad : {"31/12/2024 24:00", "31/12/2024 10", "31/12/2024 10:00:00:00", "31/12/2024 1a:00",
                          "2024-12-31 10:00"})
    EXPECT_FALSE(tryTextToDateTime(QString::fromLatin1(bad)).has_value()) << bad;
  try {
    textToDateTime(QStringLiteral("x"));
    FAIL() << "no error";
  } catch (const ConvertError& e) {
    EXPECT_EQ(e.message(), QStringLiteral("'x' is not a valid date and time"));
  }
}

TEST(Integers, ReadsCommandLineIntegers) {
  const struct {
    const char* text;
    std::optional<int> expected;
  } cases[] = {
      {"200", 200},          {"  42", 42},
      {"-7", -7},            {"+7", 7},
      {"$1F", 31},           {"0x10", 16},
      {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
      {"2147483648", std::nullopt}, {"99999999999999999999", std::nullopt},
      {"abc", std::nullopt}, {"", std::nullopt},
      {" ", std::nullopt},   {"12 ", std::nullopt},
      {"1.5", std::nullopt}, {"12a", std::nullopt},
      {"-", std::nullopt},   {"$", std::nullopt},
      {"0x", std::nullopt},  {"$G", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(tryTextToInt(QString::fromLatin1(c.text)), c.expected) << c.text;
}

TEST(Integers, ConversionErrorNamesTheText) {
  try {
    textToInt(QStringLiteral("abc"));
    FAIL() << "no error";
  } catch (const ConvertError& e) {
    EXPECT_EQ(e.message(), QStringLiteral("'abc' is not a valid integer value"));
  }
  EXPECT_EQ(textToInt(QStringLiteral("100")), 100);
}

}  // namespace
