// The report functions the document print dialogs answer for every template they print:
//
//   TELL_REAL_THAI(amount, digits)       amount in Thai words as money (baht and satang)
//   TELL_REAL_THAI2(amount, digits)      amount in Thai words as a plain number ("จุด")
//   TELL_REAL_ENG(amount, digits)        amount in English words as money
//   TELL_REAL_ENG2(amount, digits)       amount in English words as a plain number ("POINT")
//   ONHANDQUANTITY(qty, unit)            qty small units as large units of `unit` and small units
//   ONHANDQUANTITYLSUNIT(qty, unit, part) part 1: the large-unit part, part 2: the small-unit part
//   FRACSMALLBYSTOCK(qty, unit)          qty units of `unit` as stock units and a fraction
//
// Names are compared upper-cased; amounts and quantities are read as numbers, the other arguments
// as whole numbers; digits are taken modulo 256. Every other name is left to the engine (the result
// stays unassigned).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "report/value.h"

namespace data {
class UnitQuantities;
}

namespace printing {

// The names answered, upper-case, in the order they are tried.
const QStringList& userFunctionNames();

// Evaluates an argument text with the report engine's evaluator.
using ArgumentEvaluator = std::function<report::Value(const QString& text)>;
// The unit-quantity texts of the data database (asked only for the three quantity functions).
using UnitQuantitiesSource = std::function<data::UnitQuantities&()>;

// Answers one call. Returns true when the name is one of the seven (the result is then a text).
// Failures of the evaluator or of the database propagate.
bool answerUserFunction(const QString& name, const QString& p1, const QString& p2, const QString& p3,
                        report::Value& result, const ArgumentEvaluator& evaluate, const UnitQuantitiesSource& units);

}  // namespace printing
