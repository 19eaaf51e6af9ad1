// Menu option 201: the zone bill-collection window.
#include "bill_collection_window.h"
#include "window_registry.h"

CONSOLIDATE_REGISTER_WINDOW(201, [] { return new TFrconsolidate_load(); })
