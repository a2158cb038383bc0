// Shared pieces of the traffic tests under Wine.
#include "traffic_win32_support.h"

#include <commctrl.h>

#include <mutex>

#include "capture/list_view_view.h"
#include "capture/traffic_list.h"
#include "framework/message_box.h"
#include "framework/message_loop.h"

namespace traffic_win32 {

std::string BinDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\'));
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    return fw::PumpUntil(condition, timeoutMs);
}

namespace {

// The list's parent, as a host's: answers the list's questions from theTrafficList.
LRESULT CALLBACK ListParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (message == WM_NOTIFY &&
        capture::AnswerListNotify(theTrafficList, *reinterpret_cast<const NMHDR*>(lParam), result))
        return result;
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HostWindows::HostWindows() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA parentClass{};
    parentClass.lpfnWndProc = ListParentProc;
    parentClass.hInstance = GetModuleHandleA(nullptr);
    parentClass.lpszClassName = "BrisklaneTestListParent";
    RegisterClassA(&parentClass);
    m_parent = CreateWindowExA(0, parentClass.lpszClassName, "", WS_POPUP, 0, 0, 800, 400, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    m_list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, 800, 400,
                             m_parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    for (int column = 0; column < 8; ++column) {
        LVCOLUMNA heading{};
        heading.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        heading.cx = 80;
        heading.pszText = const_cast<char*>("c");
        heading.iSubItem = column;
        SendMessageA(m_list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&heading));
    }
    m_status =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 20, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    trafficListView = m_list;
    statusWindow = m_status;
}

HostWindows::~HostWindows() {
    trafficListView = nullptr;
    statusWindow = nullptr;
    DestroyWindow(m_parent);
    DestroyWindow(m_status);
}

int HostWindows::RowCount() const {
    return static_cast<int>(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
}

std::string HostWindows::Cell(int row, int column) const {
    char text[300] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(m_list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::string HostWindows::StatusText() const {
    char text[300] = {};
    GetWindowTextA(m_status, text, sizeof text);
    return text;
}

struct MessageBoxRecorder::Shared {
    std::mutex mutex;
    std::vector<BoxCall> calls;
};

MessageBoxRecorder::MessageBoxRecorder() : m_shared(new Shared) {
    Shared* shared = m_shared;
    fw::SetMessageBoxHook(
        [shared](HWND owner, const std::string& text, const std::string& caption, unsigned int style) {
            std::lock_guard lock(shared->mutex);
            shared->calls.push_back({text, caption, style, owner != nullptr});
            return IDOK;
        });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    fw::SetMessageBoxHook({});
    delete m_shared;
}

std::vector<BoxCall> MessageBoxRecorder::Calls() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->calls;
}

} // namespace traffic_win32
