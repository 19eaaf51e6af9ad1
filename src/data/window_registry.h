// The working windows by menu option. A window layer registers a factory for each option it
// serves; start-up creates the registered window for the run's menu option as the main window.
//
// Registration: put a small source file in the window layer, e.g.
//
//   #include "window_registry.h"
//   #include "zone_consolidation_window.h"
//   CONSOLIDATE_REGISTER_WINDOW(200, [] { return new TFrConsolidate_Qel_Dru(); })
//
// and name it in the layer's CMakeLists.txt:
//
//   consolidate_register_windows(cons_zone_consolidation ${CMAKE_CURRENT_SOURCE_DIR}/zone_consolidation_register.cpp)
//
// The file is compiled into the `consolidate` program itself (and into its whole-program tests and
// benchmarks), so the registration always runs before main(). The factory sets the window's title.
#pragma once

#include <QWidget>
#include <functional>

namespace data {

using WindowFactory = std::function<QWidget*()>;

// Registers (or replaces) the factory of a menu option. Returns true so that it can initialise a
// static variable.
bool RegisterWindow(int menuOption, WindowFactory factory);
// Removes the factory of a menu option (tests).
void UnregisterWindow(int menuOption);
// The factory of a menu option, empty when no window serves it.
WindowFactory WindowFactoryFor(int menuOption);

}  // namespace data

#define CONSOLIDATE_REGISTER_CAT2(a, b) a##b
#define CONSOLIDATE_REGISTER_CAT(a, b) CONSOLIDATE_REGISTER_CAT2(a, b)
#define CONSOLIDATE_REGISTER_WINDOW(option, factory) \
  static const bool CONSOLIDATE_REGISTER_CAT(consolidateWindowRegistered_, __LINE__) = ::data::RegisterWindow((option), (factory));
