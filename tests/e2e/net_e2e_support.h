// Helpers shared by the end-to-end tests of the preferences, statistics, acceleration and launchers.
#pragma once

#include "e2e_harness.h"

#include <string>
#include <vector>

namespace nete2e {

// Control and command identifiers, as a person finds them in the window and its menus.
constexpr int kAccelerate = 1001;
constexpr int kRunClient = 3;
constexpr int kMinimize = 2;
constexpr int kAccelerateN = 1004;
constexpr int kCheckPeriod = 1005;
constexpr int kCheckPeriodUnit = 1006;
constexpr int kDuration = 1009;
constexpr int kBytesReceived = 1011;
constexpr int kBytesSent = 1012;
constexpr int kStatus = 1015;
constexpr int kType = 1016;
constexpr int kAccelDuration = 1022;
constexpr int kNetwork = 1024;
constexpr int kFooter = 1030;

constexpr const char* kProductKey = "HKCU\\Software\\Brisklane";
constexpr const char* kRunKey = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Positions of the "Settings" popup's commands, counted as the arrow keys reach them (separators are
// passed over).
enum TrayItem {
    kAutoResumeItem = 0,
    kRunAtStartupItem,
    kSafetyItem,
    kFileSharingItem,
    kAnonymityItem,
    kMusicItem,
    kMediaItem,
    kHelpItem,
    kAboutItem,
    kExitItem,
};

// Opens the tray menu and chooses the item at `position`.
bool ChooseTrayItem(HWND dialog, DWORD pid, int position);

// Replaces an edit's text as typing would leave it.
void SetText(HWND dialog, int id, const std::string& text);

// The selected index of a combo box (-1 when nothing is selected).
int ComboSelection(HWND dialog, int id);

// The interface of the kernel's default route (the one to 0.0.0.0), e.g. "eth0"; empty when there is none.
std::string DefaultRouteInterface();

// A folder of its own under the temporary folder (created, emptied of nothing).
std::string TempFolder(const std::string& name);

// The recording stand-in program: where it is built, and where the records of its starts go (the variable
// BRISKLANE_RECORD_FILE, set for this process and so for the programs it starts).
std::string RecorderPath();
class Recorder {
public:
    Recorder();
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;
    // One entry per start: "<program path>|<arguments>".
    std::vector<std::string> Records() const;
    bool WaitForRecords(size_t count, DWORD timeoutMs = 10000) const;

private:
    std::string file_;
};

// Runs a command of the platform's reg tool, e.g. "add HKCU\\Software\\Brisklane /v X /t REG_DWORD /d 5 /f".
bool Reg(const std::string& arguments);

} // namespace nete2e
