// The number format language of the windows and the reports, and the decimal digits behind it.
//
// A format holds up to three sections separated by ";": positive;negative;zero.
//   "0"  a digit that is always written (a 0 when the number has none there);
//   "#"  a digit that is written only when the number has one there;
//   "."  the first one places the decimal point (later ones are ignored);
//   ","  anywhere in the section: group the integer digits in thousands;
//   "E+" "E-" "e+" "e-" followed by up to four "0": scientific notation;
//   '..' and "..": text written as it is; any other character is written as it is.
// The number is rounded (halves away from zero) to as many decimals as there are digit places
// after the point. Integer digits beyond the digit places are written before the first digit place.
// Trailing zero decimals are dropped down to the last "0" place; the decimal point is written only
// when a decimal follows it. A section whose digit places are all "#" writes no digit for 0.
//
// Sections: one section serves all values, a negative one written with a leading "-". With two
// sections the second serves negative values (written without an automatic "-"); with three the
// third serves zero, and also a value that rounds to zero with the section's decimals. A missing or
// empty negative or zero section falls back to the first. An empty first section, or a number
// with more than 18 integer digits (not in scientific notation), or NaN/infinity, is written in
// the general form (shortest text with up to 15 significant digits, as numberToText).
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <string>

namespace textutil {

struct NumberFormatSettings {
  QChar decimalSeparator = QLatin1Char('.');
  QChar thousandSeparator = QLatin1Char(',');  // a null QChar writes no separator
};

// The process-wide separators (the system's: "." and "," on the Thai and English desktops).
NumberFormatSettings& numberFormatSettings();

QString formatFloat(QStringView format, double value);
QString formatFloat(QStringView format, double value, const NumberFormatSettings& settings);

// The general form: up to 15 significant digits, no trailing zeros, a "." only when decimals
// follow; scientific ("1.5E20", "1E-7") when the number has more than 15 integer digits or is
// below 0.00001. "NAN", "INF", "-INF" for those values.
QString numberToText(double value);

// Fixed-point text with exactly `decimals` decimals, "." as the point, no grouping, a leading "-"
// for negative values that do not round to zero ("1234.50", "-0.25", "0.00"). Rounding is done
// on the shortest decimal text of the double, halves away from zero. Numbers with more than 18
// integer digits, NaN and infinity give the general form.
QString fixedText(double value, int decimals);

// A money amount rounded to satang (two decimals), halves away from zero, as the amount is
// written: the value is first taken to 15 significant digits, so that what binary arithmetic
// leaves below a half (14.50 x 7 / 100 = 1.01499..., 3 x 10.165 = 30.49499...) rounds as the
// decimal amount does (1.02, 30.50). NaN and infinity are returned as they are.
double roundMoney(double value);

// The decimal digits of a double: value = 0.digits x 10^exponent. `digits` holds no trailing
// zeros and is empty for zero (exponent 0, negative false).
struct DecimalDigits {
  bool negative = false;
  std::string digits;
  int exponent = 0;
  bool isZero() const { return digits.empty(); }
};

// The double's shortest round-trip digits, rounded to `decimals` digits after the point (halves
// away from zero). A value that rounds to zero is zero, without sign. `value` must be finite.
DecimalDigits decimalDigitsFixed(double value, int decimals);
// Rounded to `significant` significant digits (1..18) instead.
DecimalDigits decimalDigitsSignificant(double value, int significant);

}  // namespace textutil
