// Drives the real Brisklane.exe from outside under Wine.
#include "e2e_harness.h"

#include "lookout.h"

#include <sstream>

namespace e2e {

std::string BinDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of('\\'));
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return condition();
        Sleep(pollMs);
    }
}

Program::Program(const std::string& arguments, const std::string& exePath, const std::string& workingDir) {
    const std::string exe = exePath.empty() ? BinDir() + "\\Brisklane.exe" : exePath;
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &process_))
        process_ = {};
}

Program::~Program() {
    if (process_.hProcess == nullptr)
        return;
    if (Running()) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool Program::Running() const {
    return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND Program::MainWindow(DWORD timeoutMs) {
    if (mainWindow_ != nullptr)
        return mainWindow_;
    WaitUntil(
        [&] {
            for (HWND w : lookout::TopLevelWindows(Pid(), "#32770", "Brisklane"))
                if (IsWindowVisible(w) && GetDlgItem(w, 1001) != nullptr) {
                    mainWindow_ = w;
                    return true;
                }
            return !Running();
        },
        timeoutMs, 100);
    return mainWindow_;
}

bool Program::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (process_.hProcess == nullptr || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    if (exitCode != nullptr)
        *exitCode = code;
    return true;
}

std::string Text(HWND dialog, int controlId) {
    return lookout::WindowText(GetDlgItem(dialog, controlId));
}

void Click(HWND dialog, int controlId) {
    // Posted, not sent: a click may start a modal box, and the test must stay free to look at it.
    PostMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

void PostKey(HWND target, UINT virtualKey, bool alt) {
    const UINT scan = MapVirtualKeyA(virtualKey, 0);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (alt ? (1 << 29) : 0);
    const LPARAM up = down | (1u << 30) | (1u << 31);
    PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, down);
    PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, virtualKey, up);
}

HWND FocusedWindowOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

void TrayNotify(HWND dialog, UINT mouseMessage) {
    PostMessageA(dialog, kTrayCallback, kTrayIconId, mouseMessage);
}

bool UseTrayMenu(HWND dialog, DWORD pid, const std::vector<UINT>& keys) {
    HWND popup = nullptr;
    const auto menuShows = [&] {
        for (HWND w : lookout::TopLevelWindows(pid, "#32768", ""))
            if (IsWindowVisible(w)) {
                popup = w;
                return true;
            }
        return false;
    };
    // Right after the program has started another one (a web page's browser), Wine sometimes shows no menu
    // for a click on the icon; a person clicks again.
    bool shown = false;
    for (int click = 0; click < 3 && !shown; ++click) {
        TrayNotify(dialog, WM_RBUTTONUP);
        shown = WaitUntil(menuShows, 3000);
    }
    if (!shown)
        return false;
    // The menu's own loop must be running before it can take keys; the window shows a moment earlier.
    Sleep(300);
    for (UINT key : keys) {
        PostKey(popup, key);
        Sleep(100);
    }
    return WaitUntil([&] { return !IsWindow(popup) || !IsWindowVisible(popup); }, 5000);
}

bool IsTopLevel(HWND window) {
    return GetAncestor(window, GA_PARENT) == GetDesktopWindow();
}

std::vector<HWND> TrayIconWindows() {
    std::vector<HWND> icons;
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    if (tray == nullptr)
        return icons;
    for (HWND child = GetWindow(tray, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child))
            icons.push_back(child);
    return icons;
}

SeenDialog WaitForDialog(DWORD pid, HWND except, DWORD timeoutMs) {
    SeenDialog seen;
    WaitUntil(
        [&] {
            for (HWND w : lookout::TopLevelWindows(pid, "#32770", ""))
                if (w != except && IsWindowVisible(w)) {
                    seen.hwnd = w;
                    return true;
                }
            return false;
        },
        timeoutMs, 100);
    if (seen.hwnd == nullptr)
        return seen;
    seen.caption = lookout::WindowText(seen.hwnd);
    for (const lookout::ControlInfo& c : lookout::Controls(seen.hwnd))
        if (c.className == "Static" && !c.text.empty()) {
            if (!seen.text.empty())
                seen.text += "\n";
            seen.text += c.text;
        }
    return seen;
}

void PressDialogButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int RunTool(const std::string& commandLine, std::string* output, DWORD timeoutMs) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    const BOOL started = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::string text;
    if (started) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0)
            text.append(chunk, got);
    }
    CloseHandle(readEnd);
    if (!started)
        return -1;
    DWORD code = 1;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (output != nullptr)
        *output = text;
    return static_cast<int>(code);
}

RegValue RegQuery(const std::string& key, const std::string& value) {
    std::string output;
    RegValue result;
    if (RunTool("reg.exe query \"" + key + "\" /v \"" + value + "\"", &output) != 0)
        return result;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string name;
        std::string type;
        words >> name >> type;
        if (name == value && type.rfind("REG_", 0) == 0) {
            result.exists = true;
            result.type = type;
            std::getline(words, result.data);
            const size_t first = result.data.find_first_not_of(" \t");
            result.data = first == std::string::npos ? "" : result.data.substr(first);
            while (!result.data.empty() && (result.data.back() == '\r' || result.data.back() == ' '))
                result.data.pop_back();
        }
    }
    return result;
}

bool RegKeyExists(const std::string& key) {
    return RunTool("reg.exe query \"" + key + "\"") == 0;
}

void CleanProgramRegistry() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brisklane");
    HKEY run = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_ALL_ACCESS,
                      &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "Brisklane");
        RegCloseKey(run);
    }
}

} // namespace e2e
