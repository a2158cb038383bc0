// Drives the real programs from outside, as a person would: starts them, finds their windows, clicks,
// presses keys, sends the tray's notifications, chooses tray-menu items, answers message boxes, runs
// console programs and the platform's reg tool, and reads back from the windows and the registry. Runs
// under Wine in the same prefix as the programs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files.h"
#include "registry.h"
#include "res/resource.h"

namespace e2e {

// The program's keys as the reg tool names them.
inline const std::string kProductKey = std::string("HKCU\\") + testsupport::kProductKey;
inline const std::string kRunKey = std::string("HKCU\\") + testsupport::kRunKey;

// Polls until the condition holds or the time is up; gives the condition's last value. For what another
// process does; in this process's own windows fw::PumpUntil serves the messages while it waits.
[[nodiscard]] bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 50);

// The first visible top-level window of the process (0: any process) with this class and caption (empty:
// any) that `accepted` takes, once one shows; null when none did in time or `hopeless` said to stop.
[[nodiscard]] HWND WaitForWindow(DWORD pid, const std::string& className, const std::string& caption, DWORD timeoutMs,
                                 const std::function<bool(HWND)>& accepted = {},
                                 const std::function<bool()>& hopeless = {});

// One started program. The destructor ends it if it still runs, so no test leaves a process behind.
class Program {
public:
    // Brisklane.exe of the build folder unless another program is given.
    explicit Program(const std::string& arguments = "", const std::string& exePath = "",
                     const std::string& workingDir = "");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    [[nodiscard]] bool Started() const { return process_.hProcess != nullptr; }
    [[nodiscard]] DWORD Pid() const { return process_.dwProcessId; }
    [[nodiscard]] bool Running() const;
    // The program's visible "Brisklane" dialog, found once and remembered (a hidden window is no longer
    // top-level, so it could not be found again).
    HWND MainWindow(DWORD timeoutMs = 30000);
    // Waits for the process to end; gives its exit code.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;

private:
    PROCESS_INFORMATION process_{};
    HWND mainWindow_ = nullptr;
};

[[nodiscard]] std::string Text(HWND dialog, int controlId);
// Replaces an edit's text as typing would leave it.
void SetText(HWND dialog, int controlId, const std::string& text);
// The selected index of a combo box (-1 when nothing is selected).
[[nodiscard]] int ComboSelection(HWND dialog, int controlId);
// The seconds of the main window's duration clock, -1 before it shows one.
[[nodiscard]] int ShownSeconds(HWND dialog);
void Click(HWND dialog, int controlId); // BM_CLICK, what a mouse click produces
void PostKey(HWND target, UINT virtualKey, bool alt = false);
[[nodiscard]] HWND FocusedWindowOf(HWND window); // the focus of the window's thread
void TrayNotify(HWND dialog, UINT mouseMessage); // the shell's notification for our icon
// Opens the tray menu with a right-button-up notification, then presses the keys (e.g. VK_DOWN, VK_RETURN).
[[nodiscard]] bool UseTrayMenu(HWND dialog, DWORD pid, const std::vector<UINT>& keys);
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
// Opens the tray menu and chooses the item.
[[nodiscard]] bool ChooseTrayItem(HWND dialog, DWORD pid, TrayItem item);
[[nodiscard]] bool IsTopLevel(HWND window);
// The icons that the notification area shows now (Wine draws each as a small window of its tray).
[[nodiscard]] std::vector<HWND> TrayIconWindows();

// A message box or other dialog of the process, other than the given one.
struct SeenDialog {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text; // all static texts, joined by '\n'
};
[[nodiscard]] SeenDialog WaitForDialog(DWORD pid, HWND except, DWORD timeoutMs);
void PressDialogButton(HWND dialog, int id);

// A console program run to its end with both output streams collected.
struct ConsoleRun {
    bool started = false;
    bool finished = false; // false: it was ended when the time was up
    DWORD exitCode = 0;
    std::string out;
    std::string err;
};
// Runs `exe` (empty: the program that the command line names, found as the system finds it) with the
// arguments in `folder` (empty: this one).
[[nodiscard]] ConsoleRun RunConsole(const std::string& exe, const std::string& folder, const std::string& arguments,
                                    DWORD timeoutMs);

// The platform's reg tool, as a person would use it: e.g. Reg("add HKCU\\Software\\Brisklane /v X /t REG_DWORD
// /d 5 /f"); true when it succeeded.
[[nodiscard]] bool Reg(const std::string& arguments);
struct RegValue {
    bool exists = false;
    std::string type; // e.g. "REG_DWORD"
    std::string data; // as the tool prints it, e.g. "0xc"
};
[[nodiscard]] RegValue RegQuery(const std::string& key, const std::string& value);
[[nodiscard]] bool RegKeyExists(const std::string& key);

// The interface of the kernel's default route (the one to 0.0.0.0), e.g. "eth0"; empty when there is none.
[[nodiscard]] std::string DefaultRouteInterface();

// Each test starts with the user registry of a first start.
class MainProgramTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::CleanProgramRegistry(); }
    void TearDown() override { testsupport::CleanProgramRegistry(); }
};

} // namespace e2e
