// Menu option 201: the zone bill-collection window.
#include "consolidate_load.h"
#include "dispatch.h"

CONSOLIDATE_REGISTER_WINDOW(201, [] { return new TFrconsolidate_load(); })
