// The program's process-wide objects, defined in one place so that their order is fixed: built before the
// entry point in this order, destroyed at exit in the reverse order.
#include "app/hollowmere_app.h"
#include "capture/flows/traffic_list.h"
#include "capture/names/name_cache.h"
#include "capture/names/services_parser.h"
#include "capture/settings/settings.h"

// They are built ahead of every other static object of the program (such as the tray icon's, which comes
// right after them), and so destroyed after all of those; hence the priorities, in table order.
CHollowmereApp theApp __attribute__((init_priority(1001)));
CTrafficList theTrafficList __attribute__((init_priority(1002)));
CNSCashe theNameCache __attribute__((init_priority(1003)));
CServicesParser theServicesParser __attribute__((init_priority(1004)));
CSettings theSettings __attribute__((init_priority(1005)));
