// Menu option 200: the zone consolidation window.
#include "zone_consolidation_window.h"
#include "window_registry.h"

CONSOLIDATE_REGISTER_WINDOW(200, [] { return new TFrConsolidate_Qel_Dru(); })
