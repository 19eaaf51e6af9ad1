// Menu options 101 and 102: the box sticker window and the box packing window.
#include "window_registry.h"
#include "box_stickers_window.h"
#include "box_packing_window.h"

CONSOLIDATE_REGISTER_WINDOW(101, [] { return new TFrPrintBoxNo(); })
CONSOLIDATE_REGISTER_WINDOW(102, [] { return new TFrProductInBoxNo(); })
