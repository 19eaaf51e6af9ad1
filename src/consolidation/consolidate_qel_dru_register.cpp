// Menu option 200: the zone consolidation window.
#include "consolidate_qel_dru.h"
#include "dispatch.h"

CONSOLIDATE_REGISTER_WINDOW(200, [] { return new TFrConsolidate_Qel_Dru(); })
