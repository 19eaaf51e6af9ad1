// Menu options 101 and 102: the box sticker window and the box packing window.
#include "dispatch.h"
#include "print_boxno.h"
#include "product_in_boxno.h"

CONSOLIDATE_REGISTER_WINDOW(101, [] { return new TFrPrintBoxNo(); })
CONSOLIDATE_REGISTER_WINDOW(102, [] { return new TFrProductInBoxNo(); })
