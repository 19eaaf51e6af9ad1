#include "report/functions.h"

namespace report {

namespace {
QVector<std::shared_ptr<FunctionLibrary>>& libraries() {
  static QVector<std::shared_ptr<FunctionLibrary>> list;
  return list;
}
}  // namespace

void registerFunctionLibrary(const std::shared_ptr<FunctionLibrary>& library) {
  if (!library) return;
  for (const auto& l : libraries()) {
    if (l.get() == library.get()) return;
  }
  libraries().push_back(library);
}

void unregisterFunctionLibrary(const FunctionLibrary* library) {
  libraries().removeIf([library](const std::shared_ptr<FunctionLibrary>& l) { return l.get() == library; });
}

QVector<std::shared_ptr<FunctionLibrary>> registeredFunctionLibraries() { return libraries(); }

}  // namespace report
