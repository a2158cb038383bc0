// The process-wide capture objects of the traffic test program, in the program's order. The settings live
// in a file of the temporary folder, removed after they have been saved at exit.
#include <windows.h>

#include <string>

#include "capture/name_cache.h"
#include "capture/services_parser.h"
#include "capture/settings.h"
#include "capture/traffic_list.h"

namespace {

std::string SettingsPath() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "brisklane_traffic_test_" + std::to_string(GetCurrentProcessId()) + ".ini";
}

// Built before the settings, so destroyed after they have written the file.
struct SettingsFileRemover {
    ~SettingsFileRemover() { DeleteFileA(SettingsPath().c_str()); }
} settingsFileRemover;

} // namespace

CTrafficList theTrafficList;
CNSCashe theNameCache;
CServicesParser theServicesParser;
CSettings theSettings(SettingsPath().c_str());
