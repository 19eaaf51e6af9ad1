// The conversion of the program's command-line arguments, in the start-up's order: the work date
// (sixth), the menu option (fifth), the menu entry and the user (first and second). The input is
// split into arguments at NUL bytes and decoded as the program decodes argv. ConvertError is the
// expected refusal; a crash, a sanitizer report or a value that disagrees with the plain reading
// of the text is a fault.
#include "textutil/dates.h"

#include <QStringList>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

// The plain reading: blanks, a sign, then decimal digits or "$"/"0x" and hexadecimal digits.
std::optional<int> plainInt(const QString& t) {
  qsizetype i = 0;
  while (i < t.size() && t[i] == u' ') ++i;
  bool neg = false;
  if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) neg = t[i++] == u'-';
  int base = 10;
  if (i < t.size() && t[i] == u'$') { base = 16; ++i; }
  else if (i + 1 < t.size() && t[i] == u'0' && (t[i + 1] == u'x' || t[i + 1] == u'X')) { base = 16; i += 2; }
  if (i >= t.size()) return std::nullopt;
  long long v = 0;
  for (; i < t.size(); ++i) {
    const char16_t c = t[i].unicode();
    int digit = -1;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (base == 16 && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else if (base == 16 && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    if (digit < 0) return std::nullopt;
    v = v * base + digit;
    if (v > (1LL << 32)) return std::nullopt;
  }
  if (neg) v = -v;
  if (v < -2147483648LL || v > 2147483647LL) return std::nullopt;
  return static_cast<int>(v);
}

QString arg(const QStringList& args, int position) { return position <= args.size() ? args[position - 1] : QString(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QStringList args;
  for (const QByteArray& part : QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0'))
    args << QString::fromLocal8Bit(part);

  try {
    const QDate work = textutil::textToDate(arg(args, 6));
    // A date that was read is written and read back unchanged.
    if (!work.isValid() || textutil::tryTextToDate(textutil::dateToText(work)) != work) abort();
  } catch (const textutil::ConvertError&) {
  }
  for (int position : {5, 1, 2}) {
    const QString text = arg(args, position);
    const std::optional<int> expected = plainInt(text);
    try {
      const int v = textutil::textToInt(text);
      if (!expected || *expected != v) abort();
    } catch (const textutil::ConvertError& e) {
      if (expected) abort();
      if (!e.message().contains(QLatin1String("is not a valid integer value"))) abort();
    }
  }
  // A date with a time, as the program's other date fields take it.
  for (const QString& text : args) {
    if (const auto dt = textutil::tryTextToDateTime(text, 2024)) {
      if (!dt->isValid()) abort();
      if (textutil::tryTextToDateTime(textutil::dateTimeToText(*dt), 2024) != dt) abort();
    }
  }
  return 0;
}
