// The function library every report template may call: words and substrings, padding, safe
// number and date conversion, calendar arithmetic and SQL literals (46 functions).
#pragma once

#include "report/functions.h"

namespace report {

class TAddFunctionLibrary : public FunctionLibrary {
 public:
  TAddFunctionLibrary();
  const QStringList& names() const override { return names_; }
  void dispatch(int index, const QString& p1, const QString& p2, const QString& p3, Value& result,
                Evaluator& evaluator) override;
  QVector<FunctionDescription> descriptions() const override;

  // The date-time pattern of CREATEDATE; one value for the whole process.
  static QString formatDate();
  static void setFormatDate(const QString& pattern);

 private:
  QStringList names_;
};

// The component the print windows hold: creating one clears FormatDate.
class TfrAddFunctionLibrary {
 public:
  TfrAddFunctionLibrary() { TAddFunctionLibrary::setFormatDate(QString()); }
  QString FormatDate() const { return TAddFunctionLibrary::formatDate(); }
  void setFormatDate(const QString& pattern) { TAddFunctionLibrary::setFormatDate(pattern); }
};

// Registers the library with the engine for the whole process (idempotent). Called once at
// start-up by every program that prepares reports.
void registerAddFunctionLibrary();
void unregisterAddFunctionLibrary();

}  // namespace report
