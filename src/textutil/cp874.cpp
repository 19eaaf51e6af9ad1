#include "textutil/cp874.h"

#include <array>

namespace textutil {

namespace {

constexpr char16_t kNone = 0xFFFD;

// Characters of bytes 0x80-0x9F.
constexpr std::array<char16_t, 32> kHigh80 = {
    0x20AC, kNone, kNone, kNone, kNone, 0x2026, kNone,  kNone,  kNone,  kNone,  kNone,
    kNone,  kNone, kNone, kNone, kNone, kNone,  0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, kNone, kNone, kNone, kNone, kNone,  kNone,  kNone,  kNone};

char16_t byteToChar(unsigned char b) {
  if (b < 0x80) return b;
  if (b < 0xA0) return kHigh80[b - 0x80];
  if (b == 0xA0) return 0x00A0;
  if ((b >= 0xA1 && b <= 0xDA) || (b >= 0xDF && b <= 0xFB)) return static_cast<char16_t>(0x0E01 + (b - 0xA1));
  return kNone;
}

// The byte of a character, or -1.
int charToByte(char16_t c) {
  if (c < 0x80) return c;
  if (c == 0x00A0) return 0xA0;
  if ((c >= 0x0E01 && c <= 0x0E3A) || (c >= 0x0E3F && c <= 0x0E5B)) return 0xA1 + (c - 0x0E01);
  for (size_t i = 0; i < kHigh80.size(); ++i)
    if (kHigh80[i] == c && c != kNone) return static_cast<int>(0x80 + i);
  return -1;
}

}  // namespace

QByteArray encodeCp874(const QString& text, char replacement) {
  QByteArray out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      ++i;  // one character outside the code page
      out += replacement;
      continue;
    }
    const int b = charToByte(c.unicode());
    out += b < 0 ? replacement : static_cast<char>(b);
  }
  return out;
}

std::optional<QByteArray> tryEncodeCp874(const QString& text) {
  QByteArray out;
  out.reserve(text.size());
  for (QChar c : text) {
    const int b = charToByte(c.unicode());
    if (b < 0) return std::nullopt;
    out += static_cast<char>(b);
  }
  return out;
}

QString decodeCp874(const QByteArray& bytes) {
  QString out(bytes.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < bytes.size(); ++i) out[i] = QChar(byteToChar(static_cast<unsigned char>(bytes[i])));
  return out;
}

bool isCp874Name(const QString& name) {
  QString n = name.trimmed().toLower();
  n.remove(u'-').remove(u'_').remove(u' ');
  return n == QLatin1String("tis620") || n == QLatin1String("windows874") || n == QLatin1String("cp874") ||
         n == QLatin1String("xwindows874") || n == QLatin1String("iso885911") || n == QLatin1String("ibm874") ||
         n == QLatin1String("ms874") || n == QLatin1String("thai");
}

}  // namespace textutil
