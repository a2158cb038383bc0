// Drives the real programs from outside under Wine.
#include "e2e_harness.h"

#include "lookout.h"
#include "platform/handles.h"
#include "ui/hollowmere_dlg.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return condition();
        }
        Sleep(pollMs);
    }
}

HWND WaitForWindow(DWORD pid, const std::string& className, const std::string& caption, DWORD timeoutMs,
                   const std::function<bool(HWND)>& accepted, const std::function<bool()>& hopeless) {
    HWND found = nullptr;
    (void)WaitUntil(
        [&] {
            for (HWND w : lookout::TopLevelWindows(pid, className, caption)) {
                if (IsWindowVisible(w) && (!accepted || accepted(w))) {
                    found = w;
                    return true;
                }
            }
            return hopeless && hopeless();
        },
        timeoutMs, 100);
    return found;
}

Program::Program(const std::string& arguments, const std::string& exePath, const std::string& workingDir) {
    const std::string exe = exePath.empty() ? testsupport::BinDir() + "\\Brisklane.exe" : exePath;
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &process_)) {
        process_ = {};
    }
}

Program::~Program() {
    if (process_.hProcess == nullptr) {
        return;
    }
    const platform::KernelHandle process(process_.hProcess);
    const platform::KernelHandle thread(process_.hThread);
    if (Running()) {
        (void)TerminateProcess(process.Get(), 99);
        (void)WaitForSingleObject(process.Get(), 5000);
    }
}

bool Program::Running() const {
    return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND Program::MainWindow(DWORD timeoutMs) {
    if (mainWindow_ == nullptr) {
        mainWindow_ = WaitForWindow(
            Pid(), "#32770", "Brisklane", timeoutMs, [](HWND w) { return GetDlgItem(w, IDC_ACCELERATE) != nullptr; },
            [this] { return !Running(); });
    }
    return mainWindow_;
}

bool Program::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (process_.hProcess == nullptr || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    DWORD code = 0;
    (void)GetExitCodeProcess(process_.hProcess, &code);
    if (exitCode != nullptr) {
        *exitCode = code;
    }
    return true;
}

std::string Text(HWND dialog, int controlId) {
    return lookout::WindowText(GetDlgItem(dialog, controlId));
}

void SetText(HWND dialog, int controlId, const std::string& text) {
    (void)SendMessageA(GetDlgItem(dialog, controlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int ComboSelection(HWND dialog, int controlId) {
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, controlId), CB_GETCURSEL, 0, 0));
}

int ShownSeconds(HWND dialog) {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    if (std::sscanf(Text(dialog, IDC_DURATION).c_str(), " %d hrs : %d mins : %d secs", &hours, &minutes, &seconds) !=
        3) {
        return -1;
    }
    return hours * 3600 + minutes * 60 + seconds;
}

void Click(HWND dialog, int controlId) {
    // Posted, not sent: a click may start a modal box, and the test must stay free to look at it.
    (void)PostMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

void PostKey(HWND target, UINT virtualKey, bool alt) {
    const UINT scan = MapVirtualKeyA(virtualKey, 0);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (alt ? (1 << 29) : 0);
    const LPARAM up = down | (1u << 30) | (1u << 31);
    (void)PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, down);
    (void)PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, virtualKey, up);
}

HWND FocusedWindowOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

void TrayNotify(HWND dialog, UINT mouseMessage) {
    (void)PostMessageA(dialog, WM_TRAY_NOTIFY, kTrayIconId, mouseMessage);
}

bool UseTrayMenu(HWND dialog, DWORD pid, const std::vector<UINT>& keys) {
    HWND popup = nullptr;
    const auto menuShows = [&] {
        for (HWND w : lookout::TopLevelWindows(pid, "#32768", "")) {
            if (IsWindowVisible(w)) {
                popup = w;
                return true;
            }
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
    if (!shown) {
        return false;
    }
    // The only fixed waits of the harness. The menu takes keys only once its own modal loop runs, which
    // starts a moment after its window shows; under Wine nothing another process can observe tells when
    // (the popup's window, its items and its selection all exist before), so the keys wait a little, and
    // each key gets a moment to move the selection before the next one.
    Sleep(300);
    for (UINT key : keys) {
        PostKey(popup, key);
        Sleep(100);
    }
    return WaitUntil([&] { return !IsWindow(popup) || !IsWindowVisible(popup); }, 5000);
}

bool ChooseTrayItem(HWND dialog, DWORD pid, TrayItem item) {
    std::vector<UINT> keys(static_cast<size_t>(item) + 1, VK_DOWN);
    keys.push_back(VK_RETURN);
    return UseTrayMenu(dialog, pid, keys);
}

bool IsTopLevel(HWND window) {
    return GetAncestor(window, GA_PARENT) == GetDesktopWindow();
}

std::vector<HWND> TrayIconWindows() {
    std::vector<HWND> icons;
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    if (tray == nullptr) {
        return icons;
    }
    for (HWND child = GetWindow(tray, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child)) {
            icons.push_back(child);
        }
    }
    return icons;
}

SeenDialog WaitForDialog(DWORD pid, HWND except, DWORD timeoutMs) {
    SeenDialog seen;
    seen.hwnd = WaitForWindow(pid, "#32770", "", timeoutMs, [except](HWND w) { return w != except; });
    if (seen.hwnd == nullptr) {
        return seen;
    }
    seen.caption = lookout::WindowText(seen.hwnd);
    for (const lookout::ControlInfo& c : lookout::Controls(seen.hwnd)) {
        if (c.className == "Static" && !c.text.empty()) {
            if (!seen.text.empty()) {
                seen.text += "\n";
            }
            seen.text += c.text;
        }
    }
    return seen;
}

void PressDialogButton(HWND dialog, int id) {
    (void)PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

namespace {

void ReadAll(HANDLE pipe, std::string& into) {
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got != 0) {
        into.append(chunk, got);
    }
}

} // namespace

ConsoleRun RunConsole(const std::string& exe, const std::string& folder, const std::string& arguments,
                      DWORD timeoutMs) {
    ConsoleRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE pipes[4] = {};
    if (!CreatePipe(&pipes[0], &pipes[1], &inherit, 0)) {
        return run;
    }
    const platform::KernelHandle outRead(pipes[0]);
    platform::KernelHandle outWrite(pipes[1]);
    if (!CreatePipe(&pipes[2], &pipes[3], &inherit, 0)) {
        return run;
    }
    const platform::KernelHandle errRead(pipes[2]);
    platform::KernelHandle errWrite(pipes[3]);
    (void)SetHandleInformation(outRead.Get(), HANDLE_FLAG_INHERIT, 0);
    (void)SetHandleInformation(errRead.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite.Get();
    startup.hStdError = errWrite.Get();
    std::string commandLine = exe.empty() ? arguments : "\"" + exe + "\" " + arguments;
    PROCESS_INFORMATION process{};
    run.started = CreateProcessA(exe.empty() ? nullptr : exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                 nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process) != FALSE;
    // Only the child holds the write ends now, so that the reads end with it.
    outWrite.Reset();
    errWrite.Reset();
    if (!run.started) {
        return run;
    }
    const platform::KernelHandle processHandle(process.hProcess);
    const platform::KernelHandle threadHandle(process.hThread);
    // Both streams are drained while the program runs, so that neither pipe fills up and blocks it.
    std::thread output([&] { ReadAll(outRead.Get(), run.out); });
    std::thread errors([&] { ReadAll(errRead.Get(), run.err); });
    run.finished = WaitForSingleObject(processHandle.Get(), timeoutMs) == WAIT_OBJECT_0;
    if (!run.finished) {
        (void)TerminateProcess(processHandle.Get(), 99);
    }
    output.join();
    errors.join();
    (void)GetExitCodeProcess(processHandle.Get(), &run.exitCode);
    return run;
}

bool Reg(const std::string& arguments) {
    const ConsoleRun run = RunConsole("", "", "reg.exe " + arguments, 30000);
    return run.finished && run.exitCode == 0;
}

RegValue RegQuery(const std::string& key, const std::string& value) {
    RegValue result;
    const ConsoleRun run = RunConsole("", "", "reg.exe query \"" + key + "\" /v \"" + value + "\"", 30000);
    if (!run.finished || run.exitCode != 0) {
        return result;
    }
    std::istringstream lines(run.out);
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
            while (!result.data.empty() && (result.data.back() == '\r' || result.data.back() == ' ')) {
                result.data.pop_back();
            }
        }
    }
    return result;
}

bool RegKeyExists(const std::string& key) {
    return Reg("query \"" + key + "\"");
}

std::string DefaultRouteInterface() {
    std::ifstream in("Z:\\proc\\net\\route");
    std::string line;
    std::getline(in, line); // the heading
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name;
        std::string destination;
        if (fields >> name >> destination && destination == "00000000") {
            return name;
        }
    }
    return {};
}

} // namespace e2e
