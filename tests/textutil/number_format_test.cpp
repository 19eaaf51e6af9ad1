#include "textutil/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace textutil;

namespace {

struct FormatCase {
  const char* format;
  double value;
  const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << '"' << c.format << "\" " << c.value; }

class FormatFloatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatFloatTest, WritesTheExpectedText) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(formatFloat(QString::fromUtf8(c.format), c.value, NumberFormatSettings{}), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatFloatTest,
    ::testing::Values(
        // The weight and money format of the windows.
        FormatCase{"#,##0.00", 1234.5, "1,234.50"}, FormatCase{"#,##0.00", 0, "0.00"},
        FormatCase{"#,##0.00", -1234.5, "-1,234.50"}, FormatCase{"#,##0.00", 1234567.891, "1,234,567.89"},
        FormatCase{"#,##0.00", 999.999, "1,000.00"}, FormatCase{"#,##0.00", 0.5, "0.50"},
        // Halves are rounded away from zero, on the decimal text of the number.
        FormatCase{"#,##0.00", 0.005, "0.01"}, FormatCase{"#,##0.00", 1.005, "1.01"},
        FormatCase{"#,##0.00", 2.675, "2.68"}, FormatCase{"0", 2.5, "3"}, FormatCase{"0", -2.5, "-3"},
        FormatCase{"0.00", 12.345, "12.35"},
        // A negative value that rounds to zero is written without a sign.
        FormatCase{"#,##0.00", -0.004, "0.00"},
        // Quantity formats of the unit texts.
        FormatCase{"###,###,##0 ", 0, "0 "}, FormatCase{"###,###,##0 ", 1234567, "1,234,567 "},
        FormatCase{"###,###,##0 ", 12.6, "13 "}, FormatCase{" #,###,###.###### ", 0, "  "},
        FormatCase{" #,###,###.###### ", 1234.5, " 1,234.5 "}, FormatCase{" #,###,###.###### ", 3, " 3 "},
        FormatCase{" #,###,###.###### ", 0.1234567, " .123457 "},
        FormatCase{" #,###,##0.000 ", 1.5, " 1.500 "}, FormatCase{" #,###,##0.000 ", 0, " 0.000 "},
        FormatCase{"###,###,##0.###### ", 2.25, "2.25 "}, FormatCase{"###,###,##0.###### ", 2, "2 "},
        FormatCase{" ######.###### ", 0.5, " .5 "}, FormatCase{" ######.###### ", 1234567.5, " 1234567.5 "},
        FormatCase{"#,###.##;-#,###.##", 0, ""}, FormatCase{"#,###.##;-#,###.##", 1234, "1,234"},
        FormatCase{"#,###.##;-#,###.##", -1234, "-1,234"}, FormatCase{"#,###.##;-#,###.##", 1234.5, "1,234.5"},
        FormatCase{"0.##;-0.##", 30, "30"}, FormatCase{"0.##;-0.##", -1.456, "-1.46"},
        FormatCase{"0.##;-0.##", 0, "0"}, FormatCase{"#", 0, ""}, FormatCase{"#,###", 0.4, ""},
        // Sections: negative without automatic sign, zero section also for values rounding to 0.
        FormatCase{"#,##0.00;(#,##0.00);'Nil'", -5, "(5.00)"}, FormatCase{"#,##0.00;(#,##0.00);'Nil'", 0, "Nil"},
        FormatCase{"#,##0.00;(#,##0.00);'Nil'", 0.001, "Nil"}, FormatCase{"#,##0.00;(#,##0.00);'Nil'", -0.001, "Nil"},
        FormatCase{"#,##0.00;(#,##0.00)", -0.001, "0.00"}, FormatCase{"0.00;", -5, "-5.00"},
        FormatCase{"0.00;;'zero'", -1, "-1.00"}, FormatCase{"0.00;;'zero'", 0, "zero"},
        // Literal text, quoted or not; a quoted ";" does not end the section.
        FormatCase{"'Total: '#,##0", 1234, "Total: 1,234"}, FormatCase{"'a;b'0", 5, "a;b5"},
        FormatCase{"\"KG\" 0.0", 1.5, "KG 1.5"}, FormatCase{"0.0 kg", 1.25, "1.3 kg"},
        // Digits beyond the places go before the first place; leading zeros are kept.
        FormatCase{"00000", 42, "00042"}, FormatCase{"0000.00", 123456.7, "123456.70"},
        FormatCase{"#,##0", 999999.5, "1,000,000"}, FormatCase{"0.00", 0.1 + 0.2, "0.30"},
        // Scientific notation.
        FormatCase{"0.00E+00", 1234.5, "1.23E+03"}, FormatCase{"0.00E-00", 0.000123, "1.23E-04"},
        FormatCase{"0.00E-00", 1234.5, "1.23E03"}, FormatCase{"0.00E+0", 0, "0.00E+0"},
        // The general form: empty format, more than 18 integer digits.
        FormatCase{"", 1234.5, "1234.5"}, FormatCase{";0.00", 3, "3"}, FormatCase{"0.00", 1e19, "1E19"},
        FormatCase{"#,##0.00", 123456789012345678.0, "123,456,789,012,345,680.00"}));

TEST(FormatFloat, NonFiniteValuesGiveTheGeneralForm) {
  EXPECT_EQ(formatFloat(u"#,##0.00", std::numeric_limits<double>::quiet_NaN()), QStringLiteral("NAN"));
  EXPECT_EQ(formatFloat(u"#,##0.00", -std::numeric_limits<double>::infinity()), QStringLiteral("-INF"));
}

TEST(FormatFloat, UsesTheGivenSeparators) {
  NumberFormatSettings s;
  s.decimalSeparator = QLatin1Char(',');
  s.thousandSeparator = QLatin1Char('.');
  EXPECT_EQ(formatFloat(u"#,##0.00", 1234567.5, s), QStringLiteral("1.234.567,50"));
  s.thousandSeparator = QChar();
  EXPECT_EQ(formatFloat(u"#,##0.00", 1234567.5, s), QStringLiteral("1234567,50"));
}

TEST(NumberToText, ShortestGeneralForm) {
  const struct {
    double value;
    const char* expected;
  } cases[] = {{1234.5, "1234.5"},   {0.1 + 0.2, "0.3"},     {-2, "-2"},  {0, "0"},
               {0.00001, "0.00001"}, {0.000001, "1E-6"},     {1e15, "1E15"},
               {123456789012345, "123456789012345"},        {1.5e20, "1.5E20"}};
  for (const auto& c : cases) EXPECT_EQ(numberToText(c.value), QString::fromLatin1(c.expected)) << c.value;
}

TEST(FixedText, FixedDecimalsHalvesAwayFromZero) {
  const struct {
    double value;
    int decimals;
    const char* expected;
  } cases[] = {{1234.5, 2, "1234.50"}, {-0.001, 2, "0.00"}, {0.25, 2, "0.25"},    {12.5, 0, "13"},
               {-12.5, 0, "-13"},      {0.05, 1, "0.1"},    {1e-7, 3, "0.000"},   {0.000123, 5, "0.00012"},
               {100, 2, "100.00"},     {0, 3, "0.000"},     {99.995, 2, "100.00"}, {-1234.5, 1, "-1234.5"}};
  for (const auto& c : cases)
    EXPECT_EQ(fixedText(c.value, c.decimals), QString::fromLatin1(c.expected)) << c.value << " " << c.decimals;
}

}  // namespace

// Money rounds as the decimal amount does, also where binary arithmetic leaves the product just
// below the half.
TEST(RoundMoney, HalvesOfTheDecimalAmountRoundAwayFromZero) {
  struct Case {
    double value, expected;
  } cases[] = {
      {14.50 * 7 / 100, 1.02},  {64.50 * 7 / 100, 4.52}, {3 * 10.165, 30.50}, {10.075, 10.08},
      {100.20 * 100 / 107, 93.64}, {1.004999, 1.00},     {-14.50 * 7 / 100, -1.02}, {0.0, 0.0},
      {1234567.891, 1234567.89},
  };
  for (const Case& c : cases) EXPECT_EQ(roundMoney(c.value), c.expected) << c.value;
}
