// The number formatter of the windows and the reports: arbitrary format texts with arbitrary
// doubles, and the fixed and general texts checked against each other. A crash, a hang, a
// sanitizer report or a text that does not read back as the number is a fault.
#include "textutil/number_format.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
double readBack(const QString& text) {
  bool ok = false;
  const double v = text.toDouble(&ok);
  if (!ok) abort();
  return v;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < sizeof(double) + 1) return 0;
  double value;
  std::memcpy(&value, data, sizeof value);
  const int decimals = static_cast<int>(data[sizeof value] % 24);
  const QString format = QString::fromUtf8(reinterpret_cast<const char*>(data) + sizeof value + 1,
                                           static_cast<qsizetype>(size - sizeof value - 1));

  textutil::formatFloat(format, value);
  textutil::NumberFormatSettings thai;
  thai.decimalSeparator = QLatin1Char(',');
  thai.thousandSeparator = QChar();
  textutil::formatFloat(format, value, thai);

  const QString general = textutil::numberToText(value);
  const QString fixed = textutil::fixedText(value, decimals);
  if (!std::isfinite(value)) return 0;

  // The general form keeps 15 significant digits (the largest doubles round up past the largest
  // double and do not read back).
  if (std::fabs(value) < 1.7976931348623e308) {
    const double g = readBack(general);
    if (std::fabs(g - value) > std::fabs(value) * 1e-14) abort();
  }

  if (std::fabs(value) < 1e15) {
    // Fixed text: exactly `decimals` decimals, within half a unit of the last one.
    const double f = readBack(fixed);
    const qsizetype point = fixed.indexOf(QLatin1Char('.'));
    if ((decimals == 0) != (point < 0)) abort();
    if (decimals > 0 && fixed.size() - point - 1 != decimals) abort();
    if (std::fabs(f - value) > 0.5 * std::pow(10.0, -decimals) + std::fabs(value) * 1e-15) abort();
    // A format of "0." and `decimals` zeros writes the same text.
    QString zeros = QStringLiteral("0");
    if (decimals > 0) zeros += QLatin1Char('.') + QString(decimals, QLatin1Char('0'));
    textutil::NumberFormatSettings plain;
    plain.thousandSeparator = QChar();
    if (textutil::formatFloat(zeros, value, plain) != fixed) abort();
  }
  return 0;
}
