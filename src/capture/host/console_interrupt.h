// Ctrl+C in the console's terminal (SIGINT under Wine), Ctrl+Break and a closing console end a console
// capture the way the end of its data does: the flows are printed and the saved packets are complete.
#pragma once

#include <windows.h>

#include "platform/handles.h"

namespace capture_host {

// While it lives, the process's console control events set Event() instead of ending the process.
class ConsoleInterrupt {
public:
    ConsoleInterrupt();
    ~ConsoleInterrupt();
    ConsoleInterrupt(const ConsoleInterrupt&) = delete;
    ConsoleInterrupt& operator=(const ConsoleInterrupt&) = delete;

    // Signalled once an interrupt has come.
    HANDLE Event() const { return m_event.Get(); }
    bool Raised() const { return WaitForSingleObject(m_event.Get(), 0) == WAIT_OBJECT_0; }

private:
    platform::KernelHandle m_event;
};

} // namespace capture_host
