// The process-wide capture objects of the capture test programs, in the program's order. The settings live
// in a file of the temporary folder, removed after they have been saved at exit; host names come from the
// test, never from the network.
#include "capture_globals.h"

#include <windows.h>

#include <string>

#include "capture/flows/traffic_list.h"
#include "capture/names/name_cache.h"
#include "capture/names/services_parser.h"
#include "capture/settings/settings.h"
#include "files.h"

namespace {

std::string SettingsPath() {
    return testsupport::TempFile("capture_settings.ini");
}

// Built before the settings, so destroyed after they have written the file.
struct SettingsFileRemover {
    ~SettingsFileRemover() { DeleteFileA(SettingsPath().c_str()); }
} settingsFileRemover;

} // namespace

ReverseLookup testHostLookup;

CTrafficList theTrafficList;
CNSCashe theNameCache([](uint32_t address, std::string& name) {
    return testHostLookup && testHostLookup(address, name);
});
CServicesParser theServicesParser;
CSettings theSettings(SettingsPath().c_str());
