// Helpers shared by the end-to-end tests of the preferences, statistics, acceleration and launchers.
#include "net_e2e_support.h"

#include "lookout.h"

#include <fstream>
#include <sstream>

namespace nete2e {

bool ChooseTrayItem(HWND dialog, DWORD pid, int position) {
    std::vector<UINT> keys(static_cast<size_t>(position) + 1, VK_DOWN);
    keys.push_back(VK_RETURN);
    return e2e::UseTrayMenu(dialog, pid, keys);
}

void SetText(HWND dialog, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int ComboSelection(HWND dialog, int id) {
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
}

std::string DefaultRouteInterface() {
    std::ifstream in("Z:\\proc\\net\\route");
    std::string line;
    std::getline(in, line); // the heading
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name;
        std::string destination;
        if (fields >> name >> destination && destination == "00000000")
            return name;
    }
    return {};
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
