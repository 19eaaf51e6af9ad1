// Menu option 100: the web-order import window. It is the program's main window: closing it ends
// the run.
#include "window_registry.h"
#include "web_order_import_window.h"

CONSOLIDATE_REGISTER_WINDOW(100, [] {
  auto* w = new TFrLoadFileXML_Varnotek();
  w->setAttribute(Qt::WA_DeleteOnClose);
  return w;
})
