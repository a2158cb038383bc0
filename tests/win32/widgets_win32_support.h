// Shared pieces of the widgets' Win32 tests: windows that record what reaches them, and a
// question to the shell about an icon.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/message_loop.h"
#include "framework/wnd.h"

namespace widgets_test {

// A top-level window of our own class that records the commands and WM_NULL messages it receives.
class CommandSink : public CWnd {
public:
    bool Create(DWORD style = WS_OVERLAPPEDWINDOW, HBRUSH background = nullptr);

    std::vector<std::pair<WPARAM, LPARAM>> commands;
    int nulls = 0;

protected:
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

// Whether the shell holds an icon for this window and identifier (a modification that changes nothing).
bool ShellKnows(HWND owner, UINT id);
bool ShellKnows(const NOTIFYICONDATAA& record);
// Takes an icon away behind its owner's back, as a shell restart does.
bool ShellForgets(const NOTIFYICONDATAA& record);

} // namespace widgets_test
