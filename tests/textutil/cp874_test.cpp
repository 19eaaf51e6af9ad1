#include "textutil/cp874.h"

#include <gtest/gtest.h>

using namespace textutil;

namespace {

TEST(Cp874, MapsTheThaiBlockAndTheWindowsAdditions) {
  const struct {
    char16_t ch;
    unsigned char byte;
  } cases[] = {{u'A', 0x41},    {0x0E01, 0xA1}, {0x0E2A, 0xCA}, {0x0E3A, 0xDA}, {0x0E3F, 0xDF},
               {0x0E40, 0xE0}, {0x0E5B, 0xFB}, {0x00A0, 0xA0}, {0x20AC, 0x80}, {0x2026, 0x85},
               {0x2018, 0x91}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2014, 0x97}};
  for (const auto& c : cases) {
    const QString s(QChar(c.ch));
    EXPECT_EQ(encodeCp874(s), QByteArray(1, static_cast<char>(c.byte))) << std::hex << int(c.ch);
    EXPECT_EQ(decodeCp874(QByteArray(1, static_cast<char>(c.byte))), s) << std::hex << int(c.byte);
  }
}

TEST(Cp874, EncodesAThaiSentence) {
  const QString text = QStringLiteral("สวัสดี 123");
  const QByteArray bytes("\xCA\xC7\xD1\xCA\xB4\xD5 123");
  EXPECT_EQ(encodeCp874(text), bytes);
  EXPECT_EQ(decodeCp874(bytes), text);
  EXPECT_EQ(tryEncodeCp874(text), bytes);
}

TEST(Cp874, CharactersOutsideTheCodePageAreReplaced) {
  EXPECT_EQ(encodeCp874(QStringLiteral("aé😀b")), QByteArray("a??b"));
  EXPECT_EQ(encodeCp874(QStringLiteral("é"), '_'), QByteArray("_"));
  EXPECT_EQ(encodeCp874(QString(QChar(0x0E3B))), QByteArray("?"));  // unassigned in the Thai block
  EXPECT_FALSE(tryEncodeCp874(QStringLiteral("กé")).has_value());
}

TEST(Cp874, UnusedBytesDecodeToTheReplacementCharacter) {
  for (unsigned char b : {0x81, 0x90, 0x98, 0xDB, 0xDE, 0xFC, 0xFF})
    EXPECT_EQ(decodeCp874(QByteArray(1, static_cast<char>(b))), QString(QChar(0xFFFD))) << std::hex << int(b);
}

TEST(Cp874, EveryUsedByteRoundTrips) {
  int used = 0;
  for (int b = 0; b < 256; ++b) {
    const QByteArray one(1, static_cast<char>(b));
    const QString s = decodeCp874(one);
    if (s == QString(QChar(0xFFFD))) continue;
    ++used;
    EXPECT_EQ(encodeCp874(s), one) << b;
  }
  // 128 ASCII, 9 additions above 0x7F, the no-break space, 58 + 29 Thai characters.
  EXPECT_EQ(used, 128 + 9 + 1 + 58 + 29);
}

TEST(Cp874, RecognisesItsNames) {
  for (const char* n : {"TIS-620", "tis620", "windows-874", "CP874", "x-windows-874", "ISO-8859-11"})
    EXPECT_TRUE(isCp874Name(QString::fromLatin1(n))) << n;
  for (const char* n : {"UTF-8", "windows-1252", "", "ISO-8859-1"})
    EXPECT_FALSE(isCp874Name(QString::fromLatin1(n))) << n;
}

}  // namespace
