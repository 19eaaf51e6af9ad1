#include "textutil/amount_words.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace textutil;

namespace {

enum class Fn { Thai, Thai2, Eng, Eng2 };

struct AmountCase {
  Fn fn;
  double amount;
  int decimals;
  const char* expected;  // UTF-8
};

void PrintTo(const AmountCase& c, std::ostream* os) {
  static const char* names[] = {"TellRealThai", "TellRealThai2", "TellRealEng", "TellRealEng2"};
  *os << names[static_cast<int>(c.fn)] << "(" << c.amount << ", " << c.decimals << ")";
}

QString call(const AmountCase& c) {
  switch (c.fn) {
    case Fn::Thai: return TellRealThai(c.amount, c.decimals);
    case Fn::Thai2: return TellRealThai2(c.amount, c.decimals);
    case Fn::Eng: return TellRealEng(c.amount, c.decimals);
    case Fn::Eng2: return TellRealEng2(c.amount, c.decimals);
  }
  return {};
}

class AmountInWords : public ::testing::TestWithParam<AmountCase> {};

TEST_P(AmountInWords, ReadsAsPrinted) {
  // Blanks are shown as '_' in a failure message so that they can be counted.
  const QString got = call(GetParam());
  const QString want = QString::fromUtf8(GetParam().expected);
  EXPECT_EQ(got, want) << "got  [" << QString(got).replace(u' ', u'_').toStdString() << "]\nwant ["
                       << QString(want).replace(u' ', u'_').toStdString() << "]";
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, AmountInWords,
    ::testing::Values(AmountCase{Fn::Thai, 1234.50, 2, "หนึ่งพันสองร้อยสามสิบสี่บาทห้าสิบสตางค์"},
                      AmountCase{Fn::Thai, 21, 2, "ยี่สิบเอ็ดบาทถ้วน"},
                      AmountCase{Fn::Thai, 1000001, 2, "หนึ่งล้านหนึ่งบาทถ้วน"},
                      AmountCase{Fn::Thai2, 12.5, 1, "สิบสองจุดห้า"},
                      AmountCase{Fn::Eng, 1234.50, 2, "ONE  THOUSAND TWO  HUNDRED THIRTY FOUR  BAHT  AND FIFTY  SATANG"},
                      AmountCase{Fn::Eng, 12, 2, "TWELVE  BAHT  ONLY"},
                      AmountCase{Fn::Eng2, 12.5, 2, "TWELVE   POINT FIFTY  "}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, AmountInWords,
    ::testing::Values(
        // Exactly 0 writes nothing at all.
        AmountCase{Fn::Thai, 0, 2, ""}, AmountCase{Fn::Thai2, 0, 2, ""}, AmountCase{Fn::Eng, 0, 2, ""},
        AmountCase{Fn::Eng2, 0, 2, ""},
        // Rounding to 0 keeps only the closing words.
        AmountCase{Fn::Thai, 0.001, 2, "บาทถ้วน"}, AmountCase{Fn::Eng, 0.001, 2, " BAHT  ONLY"},
        AmountCase{Fn::Thai2, 0.001, 2, ""}, AmountCase{Fn::Eng2, 0.001, 2, "  ONLY"},
        // Below 1: no whole-part words.
        AmountCase{Fn::Thai, 0.25, 2, "บาทยี่สิบห้าสตางค์"}, AmountCase{Fn::Eng, 0.25, 2, " BAHT  AND TWENTY FIVE  SATANG"},
        // The point part is the decimals read as one number.
        AmountCase{Fn::Thai, 12.5, 3, "สิบสองบาทห้าร้อยสตางค์"}, AmountCase{Fn::Thai, 12.05, 2, "สิบสองบาทห้าสตางค์"},
        AmountCase{Fn::Thai, 1234, 0, "หนึ่งพันสองร้อยสามสิบสี่บาทถ้วน"}, AmountCase{Fn::Thai, 12.5, 0, "สิบสามบาทถ้วน"},
        AmountCase{Fn::Thai, 12.5, -1, "สิบสามบาทถ้วน"},
        AmountCase{Fn::Thai, 1000000, 2, "หนึ่งล้านบาทถ้วน"}, AmountCase{Fn::Thai, 10000000, 2, "สิบล้านบาทถ้วน"},
        AmountCase{Fn::Eng, 40, 0, "FOURTY  BAHT  ONLY"},
        AmountCase{Fn::Eng2, 12, 2, "TWELVE   ONLY"},
        // Halves away from zero, on the decimal text.
        AmountCase{Fn::Thai, 0.125, 2, "บาทสิบสามสตางค์"}, AmountCase{Fn::Thai, 2.675, 2, "สองบาทหกสิบแปดสตางค์"},
        AmountCase{Fn::Thai, 99.995, 2, "หนึ่งร้อยบาทถ้วน"},
        // Negative amounts are written as their value with a leading minus word.
        AmountCase{Fn::Thai, -21, 2, "ลบยี่สิบเอ็ดบาทถ้วน"}, AmountCase{Fn::Thai2, -12.5, 1, "ลบสิบสองจุดห้า"},
        AmountCase{Fn::Eng, -12, 2, "MINUS TWELVE  BAHT  ONLY"},
        AmountCase{Fn::Eng2, -0.5, 1, "MINUS   POINT FIVE  "}, AmountCase{Fn::Thai, -0.001, 2, "บาทถ้วน"},
        // Whole parts beyond 32 bits are written in full.
        AmountCase{Fn::Thai, 3000000000.0, 2, "สามพันล้านบาทถ้วน"},
        AmountCase{Fn::Thai, 2147483648.0, 0, "สองพันหนึ่งร้อยสี่สิบเจ็ดล้านสี่แสนแปดหมื่นสามพันหกร้อยสี่สิบแปดบาทถ้วน"},
        AmountCase{Fn::Eng, 5e9, 0, "FIVE  THOUSAND  MILLION  BAHT  ONLY"},
        AmountCase{Fn::Thai, 3e12, 0, "สามล้านล้านบาทถ้วน"},
        // Beyond 18 digits, or not a number: nothing can be written.
        AmountCase{Fn::Thai, 1e19, 2, ""}, AmountCase{Fn::Eng, std::numeric_limits<double>::quiet_NaN(), 2, ""},
        AmountCase{Fn::Thai, std::numeric_limits<double>::infinity(), 2, ""}));

TEST(ThaiNumberText, Numbers) {
  const struct {
    qint64 n;
    const char* expected;
  } cases[] = {{0, ""},
               {-5, ""},
               {1, "หนึ่ง"},
               {11, "สิบเอ็ด"},
               {12, "สิบสอง"},
               {20, "ยี่สิบ"},
               {21, "ยี่สิบเอ็ด"},
               {101, "หนึ่งร้อยหนึ่ง"},
               {111, "หนึ่งร้อยสิบเอ็ด"},
               {1001, "หนึ่งพันหนึ่ง"},
               {1000000, "หนึ่งล้าน"},
               {10000000, "สิบล้าน"},
               {21000000, "ยี่สิบเอ็ดล้าน"},
               {1000021, "หนึ่งล้านยี่สิบเอ็ด"},
               {2147483647, "สองพันหนึ่งร้อยสี่สิบเจ็ดล้านสี่แสนแปดหมื่นสามพันหกร้อยสี่สิบเจ็ด"}};
  for (const auto& c : cases) EXPECT_EQ(ThaiNumberText(c.n), QString::fromUtf8(c.expected)) << c.n;
}

TEST(EngNumberText, Numbers) {
  const struct {
    qint64 n;
    const char* expected;
  } cases[] = {{0, ""},
               {-3, ""},
               {7, "SEVEN "},
               {20, "TWENTY "},
               {40, "FOURTY "},
               {45, "FOURTY FIVE "},
               {100, "ONE  HUNDRED "},
               {1000000, "ONE  MILLION "},
               {2147483647,
                "TWO  THOUSAND ONE  HUNDRED FOURTY SEVEN  MILLION FOUR  HUNDRED EIGHTY THREE  THOUSAND SIX  "
                "HUNDRED FOURTY SEVEN "}};
  for (const auto& c : cases) EXPECT_EQ(EngNumberText(c.n), QString::fromUtf8(c.expected)) << c.n;
}

}  // namespace
