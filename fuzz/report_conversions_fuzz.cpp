// The date and number conversions of the report engine and of its function library: texts read
// as integers, numbers and dates, day numbers written as dates and times, and the library's
// conversion functions called with an arbitrary text and an arbitrary number. ExprError is the
// expected refusal; a crash, a hang, a sanitizer report or a conversion that does not read back is
// a fault.
#include "report/function_library_registry.h"
#include "report/engine.h"
#include "report/expression.h"
#include "report/text_format.h"
#include "report/value.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The library's functions that convert texts, numbers and dates, with where the fuzzed text ($T)
// and number ($N) go.
const char* const kCalls[] = {
    "STRTOINT($T)",        "STRTOINTDEF($T, $N)",   "STRTOFLOAT($T)",         "STRTOFLOATDEF($T, $N)",
    "STRTODATEDEF($T, $N)", "VALIDDATE($T)",        "VALIDFLOAT($T)",         "VALIDINT($T)",
    "DATETOSTR($N)",       "TIMETOSTR($N)",        "CREATEDATE($T)",         "CREATENUM($T)",
    "INCDATE($N, $T)",      "INCTIME($N, $T)",       "INCDAY($N, $N)",          "INCMONTH($N, $N)",
    "INCYEAR($N, $N)",      "FIRSTDAYOFNEXTMONTH($N)", "FIRSTDAYOFPREVMONTH($N)", "LASTDAYOFPREVMONTH($N)",
    "DAYSPERMONTH($N, $N)", "ISLEAPYEAR($N)",       "ISRANGEDATE($N, $N, $N)",  "CHR($N)",
    "REPLICATE($T, $N)",    "PADLEFT($T, $N, $T)",    "PADCENTER($T, $N, $T)",    "LEFTCOPY($T, $N)",
    "RIGHTCOPY($T, $N)",    "DELETE($T, $N, $N)",     "INSERT($T, $T, $N)",       "NPOS($T, $T, $N)",
    "EXTRACTWORD($N, $T, $T)", "WORDPOSITION($N, $T, $T)", "FORMATFLOAT($T, $N)", "FORMATDATETIME($T, $N)",
    "STR($N)",             "INT($N)",              "FRAC($N)",               "ROUND($N)"};

QString literal(const QString& text) {
  QString s = text;
  s.replace(QLatin1Char('\''), QLatin1String("''"));
  return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString numberLiteral(double v) {
  // The expression language has no literal for NaN or infinity: those come from arithmetic.
  if (std::isnan(v)) return QStringLiteral("(1e308 * 10 - 1e308 * 10)");
  if (std::isinf(v)) return v > 0 ? QStringLiteral("(1e308 * 10)") : QStringLiteral("(-1e308 * 10)");
  return QLatin1Char('(') + QString::number(v, 'g', 17) + QLatin1Char(')');
}

report::Engine& engine() {
  static report::Engine* e = [] {
    report::registerAddFunctionLibrary();
    return new report::Engine;
  }();
  return *e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < sizeof(double) + 1) return 0;
  double number;
  std::memcpy(&number, data, sizeof number);
  const unsigned which = data[sizeof number];
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data) + sizeof number + 1,
                                         static_cast<qsizetype>(size - sizeof number - 1));

  // The engine's own conversions.
  if (const auto i = report::readInteger(text)) {
    if (*i < -2147483648LL || *i > 2147483647LL) abort();
  }
  if (const auto n = report::readNumber(text)) {
    if (!std::isfinite(*n)) abort();
  }
  if (const auto dt = report::readDate(text)) {
    if (!dt->isValid()) abort();
    // A date read is written in the short format and read back to the same day.
    const auto again = report::readDate(report::shortDateText(*dt));
    if (!again || again->date() != dt->date()) abort();
    report::formatDateTime(text, *dt);
    const double days = report::toDays(*dt);
    if (report::fromDays(days).date() != dt->date()) abort();
  }
  report::formatNumber(text, number);

  // The library's functions through the evaluator.
  QString call = QString::fromLatin1(kCalls[which % (sizeof kCalls / sizeof kCalls[0])]);
  call.replace(QLatin1String("$N"), numberLiteral(number));
  // The text last: it may hold "$N" itself.
  call.replace(QLatin1String("$T"), literal(text));
  try {
    engine().evaluate(call);
  } catch (const report::ExprError&) {
  }
  return 0;
}
