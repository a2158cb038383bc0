// Drives the real Brisklane.exe from outside, as a person would: starts it, finds its window, clicks,
// presses keys, sends the tray's notifications, chooses tray-menu items, answers message boxes, and reads
// back from the windows and the registry. Runs under Wine in the same prefix as the program.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

constexpr UINT kTrayCallback = WM_APP + 10;
constexpr WPARAM kTrayIconId = 129;

// Folder of the test program; the program under test and its files are built into the same folder.
std::string BinDir();

// Polls until the condition holds or the time is up; returns the condition's last value.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 50);

// One started program. The destructor ends it if it still runs, so no test leaves a process behind.
class Program {
public:
    explicit Program(const std::string& arguments = "", const std::string& exePath = "",
                     const std::string& workingDir = "");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }
    DWORD Pid() const { return process_.dwProcessId; }
    bool Running() const;
    // The program's visible "Brisklane" dialog, found once and remembered (a hidden window is no longer
    // top-level, so it could not be found again).
    HWND MainWindow(DWORD timeoutMs = 30000);
    // Waits for the process to end; gives its exit code.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;

private:
    PROCESS_INFORMATION process_{};
    HWND mainWindow_ = nullptr;
};

std::string Text(HWND dialog, int controlId);
void Click(HWND dialog, int controlId); // BM_CLICK, what a mouse click produces
void PostKey(HWND target, UINT virtualKey, bool alt = false);
HWND FocusedWindowOf(HWND window);               // the focus of the window's thread
void TrayNotify(HWND dialog, UINT mouseMessage); // the shell's notification for our icon
// Opens the tray menu with a right-button-up notification, then presses the keys (e.g. VK_DOWN, VK_RETURN).
bool UseTrayMenu(HWND dialog, DWORD pid, const std::vector<UINT>& keys);
bool IsTopLevel(HWND window);
// The icons that the notification area shows now (Wine draws each as a small window of its tray).
std::vector<HWND> TrayIconWindows();

// A message box or other dialog of the process, other than the given one.
struct SeenDialog {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text; // all static texts, joined by '\n'
};
SeenDialog WaitForDialog(DWORD pid, HWND except, DWORD timeoutMs);
void PressDialogButton(HWND dialog, int id);

// Registry, read back with the platform's reg tool as a person would.
struct RegValue {
    bool exists = false;
    std::string type; // e.g. "REG_DWORD"
    std::string data; // as the tool prints it, e.g. "0xc"
};
RegValue RegQuery(const std::string& key, const std::string& value);
bool RegKeyExists(const std::string& key);
int RunTool(const std::string& commandLine, std::string* output = nullptr, DWORD timeoutMs = 30000);

// Removes what the program may have written, so each test starts from a clean user registry.
void CleanProgramRegistry();

} // namespace e2e
