// The one door through which every message box of the program passes, so tests can see and answer them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace fw {

// Every message box of the program goes through here. Tests install a hook that records the call and
// returns an answer instead of showing a modal box.
int ShowMessageBox(HWND owner, const char* text, const char* caption, unsigned int style);

using MessageBoxHook = std::function<int(HWND, const std::string&, const std::string&, unsigned int)>;
void SetMessageBoxHook(MessageBoxHook hook); // empty hook = real MessageBoxA

} // namespace fw
