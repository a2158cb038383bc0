// Shared pieces of the widgets' Win32 tests.
#include "widgets_win32_support.h"

#include "framework/message_loop.h"

namespace widgets_test {

bool CommandSink::Create(DWORD style, HBRUSH background) {
    return CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorA(nullptr, IDC_ARROW), background).c_str(), "sink", style,
                    100, 100, 300, 200, nullptr, nullptr);
}

bool CommandSink::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND) {
        commands.emplace_back(wParam, lParam);
        *result = 0;
        return true;
    }
    if (message == WM_NULL) {
        ++nulls;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

bool ShellKnows(HWND owner, UINT id) {
    NOTIFYICONDATAA record{};
    record.cbSize = sizeof(record);
    record.hWnd = owner;
    record.uID = id;
    return ShellKnows(record);
}

bool ShellKnows(const NOTIFYICONDATAA& record) {
    NOTIFYICONDATAA probe = record;
    probe.uFlags = 0;
    return ::Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

bool ShellForgets(const NOTIFYICONDATAA& record) {
    NOTIFYICONDATAA copy = record;
    copy.uFlags = 0;
    return ::Shell_NotifyIconA(NIM_DELETE, &copy) != FALSE;
}

} // namespace widgets_test
