// Parses and evaluates arbitrary expression texts and statements with the function library
// registered. Expression errors are expected; crashes, hangs and sanitizer reports are faults.
#include "report/function_library_registry.h"
#include "report/engine.h"
#include "report/expression.h"

#include <QCoreApplication>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static report::Engine* engine = [] {
    report::registerAddFunctionLibrary();
    auto* e = new report::Engine;
    return e;
  }();
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  engine->setVariable(QStringLiteral("A"), QStringLiteral("'abc'"));
  engine->setVariable(QStringLiteral("B"), QStringLiteral("12.5"));
  engine->setVariable(QStringLiteral("V"), QStringLiteral("''"));
  try {
    engine->evaluate(text);
  } catch (const report::ExprError&) {
  }
  try {
    engine->runStatement(text);
  } catch (const report::ExprError&) {
  }
  try {
    report::parseEmbedded(text);
  } catch (const report::ExprError&) {
  }
  return 0;
}
