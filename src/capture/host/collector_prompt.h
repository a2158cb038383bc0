// The small dialog behind the window's "Export flows to collector..." item, which asks for the collector.
#pragma once

#include <windows.h>

#include <string>

namespace capture_host {

// Asks for the collector as HOST:PORT, showing text at first; the answer replaces text. False when the
// person cancels. An empty answer means no collector.
bool AskForCollector(HWND owner, std::string& text);

} // namespace capture_host
