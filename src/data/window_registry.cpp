#include "window_registry.h"

#include <QHash>

namespace data {
namespace {
QHash<int, WindowFactory>& registry() {
  static QHash<int, WindowFactory> r;
  return r;
}
}  // namespace

bool RegisterWindow(int menuOption, WindowFactory factory) {
  registry().insert(menuOption, std::move(factory));
  return true;
}

void UnregisterWindow(int menuOption) { registry().remove(menuOption); }

WindowFactory WindowFactoryFor(int menuOption) { return registry().value(menuOption); }

}  // namespace data
