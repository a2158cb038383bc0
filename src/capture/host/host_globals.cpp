// The capture host's process-wide objects, in the order the capture subsystem needs them built: the
// traffic list, the name cache and the services table, then the settings (loaded from BrisklaneCapture.ini
// beside the executable, written back at exit, which destroys them in the reverse order).
#include "capture/flows/traffic_list.h"
#include "capture/host/host_app.h"
#include "capture/names/name_cache.h"
#include "capture/names/services_parser.h"
#include "capture/settings/settings.h"

CTrafficList theTrafficList;
CNSCashe theNameCache;
CServicesParser theServicesParser;
CSettings theSettings;
CCaptureHostApp theHostApp;
