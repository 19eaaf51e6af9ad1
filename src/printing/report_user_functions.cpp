#include "report_user_functions.h"

#include <algorithm>
#include <cmath>

#include "textutil/amount_words.h"
#include "unit_quantities.h"

namespace printing {

const QStringList& userFunctionNames() {
  static const QStringList names{
      QStringLiteral("TELL_REAL_THAI"),       QStringLiteral("TELL_REAL_THAI2"), QStringLiteral("TELL_REAL_ENG"),
      QStringLiteral("TELL_REAL_ENG2"),       QStringLiteral("ONHANDQUANTITY"),  QStringLiteral("ONHANDQUANTITYLSUNIT"),
      QStringLiteral("FRACSMALLBYSTOCK")};
  return names;
}

namespace {

// The number of decimals: the argument modulo 256 (a byte), so -1 reads 255.
int digitsArgument(const report::Value& v) {
  const qint64 n = v.toInteger();
  return static_cast<int>(((n % 256) + 256) % 256);
}

}  // namespace

bool answerUserFunction(const QString& name, const QString& p1, const QString& p2, const QString& p3,
                        report::Value& result, const ArgumentEvaluator& evaluate, const UnitQuantitiesSource& units) {
  const int which = userFunctionNames().indexOf(name.trimmed().toUpper());
  if (which < 0) return false;

  QString text;
  switch (which) {
    case 0:
    case 1:
    case 2:
    case 3: {
      const double amount = evaluate(p1).toNumber();
      const int digits = digitsArgument(evaluate(p2));
      if (which == 0) text = textutil::TellRealThai(amount, digits);
      else if (which == 1) text = textutil::TellRealThai2(amount, digits);
      else if (which == 2) text = textutil::TellRealEng(amount, digits);
      else text = textutil::TellRealEng2(amount, digits);
      break;
    }
    case 4: {
      const double qty = evaluate(p1).toNumber();
      const qint64 unit = evaluate(p2).toInteger();
      text = units().onhandQuantity(unit, qty);
      break;
    }
    case 5: {
      const double qty = evaluate(p1).toNumber();
      const qint64 unit = evaluate(p2).toInteger();
      const qint64 part = evaluate(p3).toInteger();
      text = units().onhandQuantityLSUnit(unit, static_cast<int>(std::clamp<qint64>(part, -1, 3)), qty);
      break;
    }
    case 6: {
      const double qty = evaluate(p1).toNumber();
      const qint64 unit = evaluate(p2).toInteger();
      text = units().fracSmallByStock(unit, qty);
      break;
    }
  }
  result = report::Value::string(text);
  return true;
}

}  // namespace printing
