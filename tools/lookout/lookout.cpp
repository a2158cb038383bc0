// Reads another process's windows from outside: texts, classes, places and screen pixels.
#include "lookout.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "picture.h"
#include "platform/handles.h"

namespace lookout {

std::string WindowText(HWND hwnd) {
    char text[1024] = {};
    // WM_GETTEXT crosses processes; GetWindowText would not ask another process's controls.
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    text[sizeof text - 1] = 0;
    return text;
}

std::string ClassName(HWND hwnd) {
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

namespace {

struct TopLevelQuery {
    DWORD processId;
    const std::string* className;
    const std::string* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) noexcept {
    auto* query = reinterpret_cast<TopLevelQuery*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (query->processId != 0 && owner != query->processId) {
        return TRUE;
    }
    // Nothing may unwind through the system's enumeration: out of memory ends it with what was found.
    try {
        if (!query->className->empty() && ClassName(hwnd) != *query->className) {
            return TRUE;
        }
        if (!query->caption->empty() && WindowText(hwnd) != *query->caption) {
            return TRUE;
        }
        query->found.push_back(hwnd);
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD processId, const std::string& className, const std::string& caption) {
    TopLevelQuery query{processId, &className, &caption, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::vector<ControlInfo> Controls(HWND parent) {
    std::vector<ControlInfo> controls;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        ControlInfo info;
        info.hwnd = child;
        info.id = GetDlgCtrlID(child);
        info.className = ClassName(child);
        info.text = WindowText(child);
        GetWindowRect(child, &info.rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&info.rect), 2);
        info.style = GetWindowLongA(child, GWL_STYLE);
        info.exStyle = GetWindowLongA(child, GWL_EXSTYLE);
        info.visible = IsWindowVisible(child) != FALSE;
        controls.push_back(info);
    }
    return controls;
}

std::string DescribeDialog(HWND dialog) {
    std::string out;
    char line[1400];
    for (const ControlInfo& c : Controls(dialog)) {
        std::string text = c.text;
        for (char& ch : text) {
            if (ch == '\n' || ch == '\r') {
                ch = '|';
            }
        }
        std::snprintf(line, sizeof line, "%5d %-10s '%s' %ld,%ld %ldx%ld%s\n", c.id == 0xFFFF ? -1 : c.id,
                      c.className.c_str(), text.c_str(), c.rect.left, c.rect.top, c.rect.right - c.rect.left,
                      c.rect.bottom - c.rect.top, c.visible ? "" : " [hidden]");
        out += line;
    }
    return out;
}

namespace {

// Memory in the process that owns a window, for the messages whose arguments point somewhere.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, SIZE_T size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        m_process.Reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
        if (m_process.IsValid()) {
            m_address = VirtualAllocEx(m_process.Get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    ~RemoteBuffer() {
        if (m_address != nullptr) {
            VirtualFreeEx(m_process.Get(), m_address, 0, MEM_RELEASE);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Ready() const { return m_address != nullptr; }
    char* Address(SIZE_T offset = 0) const { return static_cast<char*>(m_address) + offset; }
    bool Write(const void* data, SIZE_T size, SIZE_T offset = 0) const {
        return WriteProcessMemory(m_process.Get(), Address(offset), data, size, nullptr) != FALSE;
    }
    bool Read(void* data, SIZE_T size, SIZE_T offset = 0) const {
        return ReadProcessMemory(m_process.Get(), Address(offset), data, size, nullptr) != FALSE;
    }

private:
    platform::KernelHandle m_process;
    void* m_address = nullptr;
};

LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

} // namespace

int ListViewRows(HWND list) {
    return static_cast<int>(SendWithin(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string ListViewCell(HWND list, int row, int column) {
    constexpr int kTextBytes = 512;
    RemoteBuffer buffer(list, sizeof(LVITEMA) + kTextBytes);
    if (!buffer.Ready()) {
        return "";
    }
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer.Address(sizeof item);
    item.cchTextMax = kTextBytes;
    char text[kTextBytes] = {};
    if (!buffer.Write(&item, sizeof item) ||
        SendWithin(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.Address())) < 0 ||
        !buffer.Read(text, sizeof text, sizeof item)) {
        return "";
    }
    text[kTextBytes - 1] = '\0';
    return text;
}

std::string StatusBarPart(HWND statusBar, int part) {
    const LRESULT answer = SendWithin(statusBar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(part), 0);
    if (answer < 0) {
        return "";
    }
    const SIZE_T length = LOWORD(answer);
    RemoteBuffer buffer(statusBar, length + 1u);
    std::string text(length + 1u, '\0');
    if (!buffer.Ready() ||
        SendWithin(statusBar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(buffer.Address())) < 0 ||
        !buffer.Read(text.data(), text.size())) {
        return "";
    }
    text.resize(std::strlen(text.c_str()));
    return text;
}

int HeaderItemFormat(HWND header, int item) {
    RemoteBuffer buffer(header, sizeof(HDITEMA));
    HDITEMA format{};
    format.mask = HDI_FORMAT;
    if (!buffer.Ready() || !buffer.Write(&format, sizeof format) ||
        SendWithin(header, HDM_GETITEMA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(buffer.Address())) <= 0 ||
        !buffer.Read(&format, sizeof format)) {
        return -1;
    }
    return format.fmt;
}

bool SaveWindowScreenshot(HWND hwnd, const std::string& bmpPath) {
    return SaveBmp(GrabWindow(hwnd), bmpPath);
}

} // namespace lookout
