// Helpers shared by the end-to-end tests of the preferences, statistics, acceleration and launchers.
#include "net_e2e_support.h"

#include "window_inspect.h"

#include <fstream>
#include <sstream>

namespace nete2e {

bool ChooseTrayItem(HWND dialog, DWORD pid, int position) {
    e2e::TrayNotify(dialog, WM_RBUTTONUP);
    HWND popup = nullptr;
    if (!e2e::WaitUntil(
            [&] {
                for (HWND w : inspect::TopLevelWindows(pid, "#32768", ""))
                    if (IsWindowVisible(w)) {
                        popup = w;
                        return true;
                    }
                return false;
            },
            10000))
        return false;
    // The menu's own loop must be running before the first key arrives, or that key is lost.
    Sleep(300);
    for (int i = 0; i <= position; ++i) {
        e2e::PostKey(popup, VK_DOWN);
        Sleep(50);
    }
    e2e::PostKey(popup, VK_RETURN);
    return e2e::WaitUntil([&] { return !IsWindow(popup) || !IsWindowVisible(popup); }, 5000);
}

void SetText(HWND dialog, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int ComboSelection(HWND dialog, int id) {
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
}

std::string TempFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string RecorderPath() {
    return e2e::BinDir() + "\\net_recorder.exe";
}

Recorder::Recorder() : file_(TempFolder("brisklane-records") + "\\records.txt") {
    DeleteFileA(file_.c_str());
    SetEnvironmentVariableA("BRISKLANE_RECORD_FILE", file_.c_str());
}

Recorder::~Recorder() {
    SetEnvironmentVariableA("BRISKLANE_RECORD_FILE", nullptr);
    DeleteFileA(file_.c_str());
}

std::vector<std::string> Recorder::Records() const {
    std::vector<std::string> records;
    std::ifstream in(file_, std::ios::binary);
    std::string line;
    while (std::getline(in, line))
        records.push_back(line);
    return records;
}

bool Recorder::WaitForRecords(size_t count, DWORD timeoutMs) const {
    return e2e::WaitUntil([&] { return Records().size() >= count; }, timeoutMs, 100);
}

bool Reg(const std::string& arguments) {
    return e2e::RunTool("reg.exe " + arguments) == 0;
}

} // namespace nete2e
