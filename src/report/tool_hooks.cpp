#include "report/tool_hooks.h"

namespace report {

namespace {
QVector<ToolSetup>& setups() {
  static QVector<ToolSetup> list;
  return list;
}
}  // namespace

void addToolSetup(ToolSetup setup) {
  if (setup && !setups().contains(setup)) setups().push_back(setup);
}

const QVector<ToolSetup>& toolSetups() { return setups(); }

}  // namespace report
