// The window's "Export flows to collector..." item in its File menu, and the small dialog that asks for
// the collector.
#pragma once

#include <windows.h>

#include <string>

namespace capture_host {

// Appends "Export flows to &collector..." to the window's "&File" menu, making the menu bar and that menu
// first when the window has neither.
void AddCollectorMenuItem(HWND window);

// Asks for the collector as HOST:PORT, showing text at first; the answer replaces text. False when the
// person cancels. An empty answer means no collector.
bool AskForCollector(HWND owner, std::string& text);

} // namespace capture_host
