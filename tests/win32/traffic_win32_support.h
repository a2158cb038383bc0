// Shared pieces of the traffic tests under Wine: host windows on the test thread, message pumping, message
// boxes answered, the test program's folder.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "files.h"

namespace traffic_win32 {

// The folder of the test program (packet.dll and the capture host sit beside it).
std::string BinDir();

// Serves this thread's messages until the condition holds or the time is up; the condition's last value.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// A hidden owner-data report list with the eight columns, whose parent answers it from theTrafficList as a
// host's does, and a status window, set as the engine's trafficListView and statusWindow while the object
// lives.
class HostWindows {
public:
    HostWindows();
    ~HostWindows();
    HostWindows(const HostWindows&) = delete;
    HostWindows& operator=(const HostWindows&) = delete;
    HWND List() const { return m_list; }
    HWND Status() const { return m_status; }
    int RowCount() const;
    std::string Cell(int row, int column) const;
    std::string StatusText() const;

private:
    HWND m_parent = nullptr;
    HWND m_list = nullptr;
    HWND m_status = nullptr;
};

// Every message box is recorded and answered with OK while the object lives.
struct BoxCall {
    std::string text;
    std::string caption;
    unsigned int style;
    bool owned;
};
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    std::vector<BoxCall> Calls() const;

private:
    struct Shared;
    Shared* m_shared;
};

} // namespace traffic_win32
