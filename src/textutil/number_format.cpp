#include "textutil/number_format.h"

#include <QList>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace textutil {

namespace {

constexpr int kMaxDigits = 18;  // significant digits kept of any number
constexpr int kGeneralPrecision = 15;

// Shortest round-trip digits of |value| (finite, not zero): 0.digits x 10^exponent.
DecimalDigits shortestDigits(double value) {
  DecimalDigits d;
  d.negative = std::signbit(value);
  if (value == 0.0) {
    d.negative = false;
    return d;
  }
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
  const std::string text(buf, res.ptr);  // "d.ddde+XX" or "de-XX"
  const auto e = text.find('e');
  std::string mantissa = text.substr(0, e);
  mantissa.erase(std::remove(mantissa.begin(), mantissa.end(), '.'), mantissa.end());
  d.digits = mantissa;
  d.exponent = std::atoi(text.c_str() + e + 1) + 1;
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

// Keeps the first `keep` digits, rounding the rest half away from zero.
void roundDigits(DecimalDigits& d, int keep) {
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d = DecimalDigits{};
    return;
  }
  const bool up = d.digits[keep] >= '5';
  d.digits.resize(keep);
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9') {
      d.digits[i] = '0';
      --i;
    }
    if (i >= 0) {
      ++d.digits[i];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d = DecimalDigits{};
}

struct Section {
  QStringView text;
  int index = 0;  // 0 positive, 1 negative, 2 zero
};

// Start of section `index`; an absent or empty section gives the first one.
Section findSection(QStringView format, int index) {
  QList<QStringView> parts;
  qsizetype start = 0;
  QChar quote;
  for (qsizetype i = 0; i < format.size(); ++i) {
    const QChar c = format[i];
    if (!quote.isNull()) {
      if (c == quote) quote = QChar();
    } else if (c == u'\'' || c == u'"') {
      quote = c;
    } else if (c == u';') {
      parts.append(format.mid(start, i - start));
      start = i + 1;
    }
  }
  parts.append(format.mid(start));
  if (index < parts.size() && !parts[index].isEmpty()) return {parts[index], index};
  return {parts[0], 0};
}

struct Layout {
  int digitCount = 0;    // digit places in the section
  int decimalIndex = 0;  // digit places before the decimal point
  int firstDigit = 0;    // integer places always written (from the leftmost "0")
  int lastDigit = 0;     // minus the decimal places always written (to the rightmost "0")
  bool thousands = false;
  bool scientific = false;
};

Layout scanSection(QStringView s) {
  Layout l;
  int leftmostZero = 32767;
  int afterRightmostZero = 0;
  int decimalIndex = -1;
  for (qsizetype i = 0; i < s.size(); ++i) {
    const QChar c = s[i];
    if (c == u'#') {
      ++l.digitCount;
    } else if (c == u'0') {
      leftmostZero = std::min(leftmostZero, l.digitCount);
      ++l.digitCount;
      afterRightmostZero = l.digitCount;
    } else if (c == u'.') {
      if (decimalIndex < 0) decimalIndex = l.digitCount;
    } else if (c == u',') {
      l.thousands = true;
    } else if (c == u'\'' || c == u'"') {
      const qsizetype end = s.indexOf(c, i + 1);
      i = end < 0 ? s.size() : end;
    } else if ((c == u'E' || c == u'e') && i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-')) {
      l.scientific = true;
      i += 1;
      while (i + 1 < s.size() && s[i + 1] == u'0') ++i;
    }
  }
  l.decimalIndex = decimalIndex < 0 ? l.digitCount : decimalIndex;
  l.lastDigit = std::min(0, l.decimalIndex - afterRightmostZero);
  l.firstDigit = std::max(0, l.decimalIndex - leftmostZero);
  return l;
}

// Writes the digits of `d` into the section's digit places.
class Writer {
 public:
  Writer(const Layout& l, const DecimalDigits& d, const NumberFormatSettings& st) : l_(l), d_(d), st_(st) {
    if (l.scientific) {
      place_ = l.decimalIndex;
      delta_ = 0;
    } else {
      place_ = std::max(d.exponent, l.decimalIndex);
      delta_ = d.exponent - l.decimalIndex;
    }
  }

  void digitPlace() {
    if (delta_ < 0) {
      ++delta_;
      if (place_ <= l_.firstDigit) {
        put(u'0');
      } else {
        --place_;
      }
      return;
    }
    while (delta_ > 0) {
      next();
      --delta_;
    }
    next();
  }

  void exponent(QChar letter, bool plusSign, int minDigits) {
    out_ += letter;
    const int e = d_.isZero() ? 0 : d_.exponent - l_.decimalIndex;
    if (e < 0) {
      out_ += u'-';
    } else if (plusSign) {
      out_ += u'+';
    }
    QString digits = QString::number(std::abs(e));
    while (digits.size() < minDigits) digits.prepend(u'0');
    out_ += digits;
  }

  QString& out() { return out_; }

 private:
  void next() {
    if (pos_ < d_.digits.size()) {
      put(QChar::fromLatin1(d_.digits[pos_++]));
    } else if (place_ > l_.lastDigit) {
      put(u'0');
    } else {
      --place_;
    }
  }

  void put(QChar digit) {
    if (place_ == 0) out_ += st_.decimalSeparator;
    out_ += digit;
    if (l_.thousands && place_ > 1 && place_ % 3 == 1 && !st_.thousandSeparator.isNull())
      out_ += st_.thousandSeparator;
    --place_;
  }

  const Layout& l_;
  const DecimalDigits& d_;
  const NumberFormatSettings& st_;
  int place_ = 0;
  int delta_ = 0;
  size_t pos_ = 0;
  QString out_;
};

QString applySection(const Section& sec, const Layout& l, const DecimalDigits& d, bool writeSign,
                     const NumberFormatSettings& st) {
  Writer w(l, d, st);
  if (writeSign) w.out() += u'-';
  const QStringView s = sec.text;
  for (qsizetype i = 0; i < s.size(); ++i) {
    const QChar c = s[i];
    if (c == u'#' || c == u'0') {
      w.digitPlace();
    } else if (c == u'.' || c == u',') {
      // placed by the digit places
    } else if (c == u'\'' || c == u'"') {
      const qsizetype end = s.indexOf(c, i + 1);
      const qsizetype stop = end < 0 ? s.size() : end;
      w.out() += s.mid(i + 1, stop - i - 1);
      i = stop;
    } else if ((c == u'E' || c == u'e') && i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-')) {
      const bool plus = s[i + 1] == u'+';
      i += 1;
      int zeros = 0;
      while (i + 1 < s.size() && s[i + 1] == u'0') {
        ++zeros;
        ++i;
      }
      w.exponent(c, plus, std::min(zeros, 4));
    } else {
      w.out() += c;
    }
  }
  return w.out();
}

QString digitsToGeneral(const DecimalDigits& d, QChar decimalSeparator) {
  if (d.isZero()) return QStringLiteral("0");
  QString out;
  if (d.negative) out += u'-';
  const QString digits = QString::fromLatin1(d.digits.data(), static_cast<qsizetype>(d.digits.size()));
  if (d.exponent > kGeneralPrecision || d.exponent < -4) {
    out += digits[0];
    if (digits.size() > 1) out += decimalSeparator + digits.mid(1);
    out += u'E' + QString::number(d.exponent - 1);
    return out;
  }
  if (d.exponent <= 0) {
    out += u'0' + QString(decimalSeparator) + QString(-d.exponent, u'0') + digits;
  } else if (d.exponent >= digits.size()) {
    out += digits + QString(d.exponent - digits.size(), u'0');
  } else {
    out += digits.left(d.exponent) + decimalSeparator + digits.mid(d.exponent);
  }
  return out;
}

QString generalText(double value, QChar decimalSeparator) {
  if (std::isnan(value)) return QStringLiteral("NAN");
  if (std::isinf(value)) return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
  return digitsToGeneral(decimalDigitsSignificant(value, kGeneralPrecision), decimalSeparator);
}

}  // namespace

NumberFormatSettings& numberFormatSettings() {
  static NumberFormatSettings settings;
  return settings;
}

DecimalDigits decimalDigitsFixed(double value, int decimals) {
  DecimalDigits d = shortestDigits(value);
  if (d.isZero()) return d;
  roundDigits(d, std::min(d.exponent + decimals, kMaxDigits));
  return d;
}

DecimalDigits decimalDigitsSignificant(double value, int significant) {
  DecimalDigits d = shortestDigits(value);
  if (d.isZero()) return d;
  roundDigits(d, std::clamp(significant, 1, kMaxDigits));
  return d;
}

QString numberToText(double value) { return generalText(value, numberFormatSettings().decimalSeparator); }

double roundMoney(double value) {
  if (!std::isfinite(value)) return value;
  const double decimal = QString::number(value, 'g', 15).toDouble();
  return fixedText(decimal, 2).toDouble();
}

QString fixedText(double value, int decimals) {
  if (!std::isfinite(value)) return generalText(value, u'.');
  decimals = std::max(0, decimals);
  const DecimalDigits d = decimalDigitsFixed(value, decimals);
  if (d.exponent > kMaxDigits) return generalText(value, u'.');
  QString out;
  if (d.negative && !d.isZero()) out += u'-';
  const QString digits = QString::fromLatin1(d.digits.data(), static_cast<qsizetype>(d.digits.size()));
  const int e = d.isZero() ? 0 : d.exponent;
  // Integer part.
  if (e <= 0) {
    out += u'0';
  } else {
    out += digits.left(e);
    if (e > digits.size()) out += QString(e - digits.size(), u'0');
  }
  if (decimals > 0) {
    out += u'.';
    QString frac;
    if (e < 0) frac = QString(-e, u'0') + digits;
    else frac = digits.mid(e);
    if (frac.size() < decimals) frac += QString(decimals - frac.size(), u'0');
    out += frac.left(decimals);
  }
  return out;
}

QString formatFloat(QStringView format, double value) {
  return formatFloat(format, value, numberFormatSettings());
}

QString formatFloat(QStringView format, double value, const NumberFormatSettings& settings) {
  if (!std::isfinite(value)) return generalText(value, settings.decimalSeparator);
  const int wanted = value > 0 ? 0 : (value < 0 ? 1 : 2);
  Section sec = findSection(format, wanted);
  if (sec.text.isEmpty()) return generalText(value, settings.decimalSeparator);
  Layout layout = scanSection(sec.text);

  DecimalDigits d;
  if (layout.scientific) {
    d = decimalDigitsSignificant(value, std::max(1, layout.digitCount));
  } else {
    d = decimalDigitsFixed(value, layout.digitCount - layout.decimalIndex);
    if (d.exponent > kMaxDigits) return generalText(value, settings.decimalSeparator);
  }

  if (d.isZero() && sec.index != 2) {
    // A value that rounds to zero takes the zero section when there is one.
    // Without one, a negative value that rounds to zero is written by the first section.
    const Section zero = findSection(format, 2);
    if (zero.index != sec.index) {
      sec = zero;
      layout = scanSection(sec.text);
    }
  }
  const bool sign = d.negative && !d.isZero() && sec.index == 0;
  return applySection(sec, layout, d, sign, settings);
}

}  // namespace textutil
