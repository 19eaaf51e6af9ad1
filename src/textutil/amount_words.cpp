#include "textutil/amount_words.h"

#include "textutil/helpers.h"
#include "textutil/number_format.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace textutil {

namespace {

const QString kThaiPlain[10] = {QString(),          QStringLiteral("หนึ่ง"), QStringLiteral("สอง"),
                                QStringLiteral("สาม"), QStringLiteral("สี่"),   QStringLiteral("ห้า"),
                                QStringLiteral("หก"),  QStringLiteral("เจ็ด"),  QStringLiteral("แปด"),
                                QStringLiteral("เก้า")};

QString thaiUnitsForm(int digit) { return digit == 1 ? QStringLiteral("เอ็ด") : kThaiPlain[digit]; }
QString thaiTensForm(int digit) { return digit == 2 ? QStringLiteral("ยี่") : kThaiPlain[digit]; }

const QString kEngWords[21] = {
    QString(),                 QStringLiteral("ONE "),      QStringLiteral("TWO "),
    QStringLiteral("THREE "),  QStringLiteral("FOUR "),     QStringLiteral("FIVE "),
    QStringLiteral("SIX "),    QStringLiteral("SEVEN "),    QStringLiteral("EIGHT "),
    QStringLiteral("NINE "),   QStringLiteral("TEN "),      QStringLiteral("ELEVEN "),
    QStringLiteral("TWELVE "), QStringLiteral("THIRTEEN "), QStringLiteral("FOURTEEN "),
    QStringLiteral("FIFTEEN "), QStringLiteral("SIXTEEN "), QStringLiteral("SEVENTEEN "),
    QStringLiteral("EIGHTEEN "), QStringLiteral("NINETEEN "), QStringLiteral("TWENTY ")};
// The tens words; "FOURTY " is the spelling printed on the documents.
const QString kEngTens[10] = {QString(),
                              QString(),
                              QStringLiteral("TWENTY "),
                              QStringLiteral("THIRTY "),
                              QStringLiteral("FOURTY "),
                              QStringLiteral("FIFTY "),
                              QStringLiteral("SIXTY "),
                              QStringLiteral("SEVENTY "),
                              QStringLiteral("EIGHTY "),
                              QStringLiteral("NINETY ")};

const QString kThaiMinus = QStringLiteral("ลบ");
const QString kEngMinus = QStringLiteral("MINUS ");

// Reads the digits of a part of the amount text; an empty or unreadable text reads 0.
qint64 readPart(const QString& text) {
  bool ok = false;
  const qint64 v = text.trimmed().toLongLong(&ok);
  return ok ? v : 0;
}

struct SplitAmount {
  bool valid = false;     // false: nothing is written (0, or an amount that cannot be written)
  bool negative = false;  // a negative amount that does not round to 0
  qint64 whole = 0;       // absolute value
  qint64 point = 0;
};

// Writes the amount in fixed point, keeps at most 30 characters and splits it at the point.
SplitAmount split(double amount, int decimals) {
  SplitAmount s;
  if (amount == 0.0 || !std::isfinite(amount)) return s;
  // More than 18 decimals are beyond a double's digits and would not fit the point part.
  decimals = std::clamp(decimals, 0, 18);
  const DecimalDigits digits = decimalDigitsFixed(amount, decimals);
  if (digits.exponent > 18) return s;  // the whole part is beyond 18 digits: nothing sensible
  QString text = fixedText(amount, decimals).trimmed().left(30);
  if (text.startsWith(u'-')) {
    s.negative = true;
    text.remove(0, 1);
  }
  const qsizetype dot = text.indexOf(u'.');
  s.whole = readPart(TrimLeadingSpaces(dot < 0 ? text : text.left(dot)));
  s.point = dot < 0 ? 0 : readPart(text.mid(dot + 1));
  s.valid = true;
  return s;
}

}  // namespace

QString ThaiNumberText(qint64 n) {
  if (n <= 0) return QString();
  QString text;
  const qint64 millions = n / 1000000;
  qint64 rest = n % 1000000;
  if (millions > 0) text += ThaiNumberText(millions) + QStringLiteral("ล้าน");
  static const struct {
    qint64 place;
    const char16_t* word;
  } places[] = {{100000, u"แสน"}, {10000, u"หมื่น"}, {1000, u"พัน"}, {100, u"ร้อย"}};
  for (const auto& p : places) {
    const int digit = static_cast<int>(rest / p.place);
    rest %= p.place;
    if (digit > 0) text += kThaiPlain[digit] + QString::fromUtf16(p.word);
  }
  const int tens = static_cast<int>(rest / 10);
  const int units = static_cast<int>(rest % 10);
  if (tens >= 2) text += thaiTensForm(tens) + QStringLiteral("สิบ");
  else if (tens == 1) text += QStringLiteral("สิบ");
  if (units > 0) {
    static const QStringList placeWords = {QStringLiteral("ร้อย"), QStringLiteral("ล้าน"), QStringLiteral("พัน"),
                                           QStringLiteral("แสน"), QStringLiteral("หมื่น")};
    const bool afterPlace =
        std::any_of(placeWords.begin(), placeWords.end(), [&](const QString& w) { return text.endsWith(w); });
    text += (!text.isEmpty() && !afterPlace) ? thaiUnitsForm(units) : kThaiPlain[units];
  }
  return text;
}

QString EngNumberText(qint64 n) {
  if (n <= 0) return QString();
  QString text;
  const qint64 millions = n / 1000000;
  qint64 rest = n % 1000000;
  if (millions > 0) text += EngNumberText(millions) + QStringLiteral(" MILLION ");
  const qint64 thousands = rest / 1000;
  rest %= 1000;
  if (thousands > 0) text += EngNumberText(thousands) + QStringLiteral(" THOUSAND ");
  const int hundreds = static_cast<int>(rest / 100);
  rest %= 100;
  if (hundreds > 0) text += kEngWords[hundreds] + QStringLiteral(" HUNDRED ");
  if (rest >= 1 && rest <= 20) {
    text += kEngWords[rest];
  } else {
    if (rest / 10 > 0) text += kEngTens[rest / 10];
    if (rest % 10 > 0) text += kEngWords[rest % 10];
  }
  return text;
}

QString TellRealThai(double amount, int decimals) {
  const SplitAmount s = split(amount, decimals);
  if (!s.valid) return QString();
  QString text = ThaiNumberText(s.whole) + QStringLiteral("บาท");
  text += s.point >= 1 ? ThaiNumberText(s.point) + QStringLiteral("สตางค์") : QStringLiteral("ถ้วน");
  return s.negative ? kThaiMinus + text : text;
}

QString TellRealThai2(double amount, int decimals) {
  const SplitAmount s = split(amount, decimals);
  if (!s.valid) return QString();
  QString text = ThaiNumberText(s.whole);
  if (s.point >= 1) text += QStringLiteral("จุด") + ThaiNumberText(s.point);
  return s.negative ? kThaiMinus + text : text;
}

QString TellRealEng(double amount, int decimals) {
  const SplitAmount s = split(amount, decimals);
  if (!s.valid) return QString();
  QString text = EngNumberText(s.whole) + QStringLiteral(" BAHT ");
  text += s.point >= 1 ? QStringLiteral(" AND ") + EngNumberText(s.point) + QStringLiteral(" SATANG")
                       : QStringLiteral(" ONLY");
  return s.negative ? kEngMinus + text : text;
}

QString TellRealEng2(double amount, int decimals) {
  const SplitAmount s = split(amount, decimals);
  if (!s.valid) return QString();
  QString text = EngNumberText(s.whole) + QStringLiteral(" ");
  text += s.point >= 1 ? QStringLiteral(" POINT ") + EngNumberText(s.point) + QStringLiteral(" ")
                       : QStringLiteral(" ONLY");
  return s.negative ? kEngMinus + text : text;
}

}  // namespace textutil
