// Extension points of the expression language: function libraries (a list of names and a
// dispatch taking the function's index) and a user-function callback for names nobody knows.
#pragma once

#include "report/value.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>

namespace report {

// Evaluates texts in the context of the report being prepared (or of the loaded report when no
// preparation runs): current rows, report variables, page numbers.
class Evaluator {
 public:
  virtual ~Evaluator() = default;
  // Evaluates an argument text; an empty text gives Null. Throws ExprError.
  virtual Value evaluate(const QString& text) = 0;
  // Runs "Name := expression": sets the report variable Name to the value. Throws ExprError.
  virtual void runStatement(const QString& line) = 0;
};

struct FunctionDescription {
  QString name;
  QString category;
  QString description;  // "SIGNATURE/Explanation"
};

class FunctionLibrary {
 public:
  virtual ~FunctionLibrary() = default;
  // Upper-case names; a function's index in the list is its dispatch number.
  virtual const QStringList& names() const = 0;
  // Called with the index, the unevaluated texts of up to three arguments (absent ones empty) and
  // the result slot. Failures are ExprError.
  virtual void dispatch(int index, const QString& p1, const QString& p2, const QString& p3, Value& result,
                        Evaluator& evaluator) = 0;
  virtual QVector<FunctionDescription> descriptions() const { return {}; }
};

// Called for a function name that neither the engine nor a library knows, with the name as
// written, up to three unevaluated argument texts and the result slot (set to Value::unassigned()
// before the call). A slot left unassigned makes the name an unknown function.
using UserFunction = std::function<void(const QString& name, const QString& p1, const QString& p2,
                                        const QString& p3, Value& result)>;

// Libraries registered for the whole process: every report consults them, in registration order,
// after the engine's own functions. Registering the same library twice has no effect.
void registerFunctionLibrary(const std::shared_ptr<FunctionLibrary>& library);
void unregisterFunctionLibrary(const FunctionLibrary* library);
QVector<std::shared_ptr<FunctionLibrary>> registeredFunctionLibraries();

}  // namespace report
