// Console control events end a console capture as the end of its data does.
#include "capture/host/console_interrupt.h"

namespace capture_host {

namespace {

// The handler has no context of its own: the event of the one ConsoleInterrupt alive.
HANDLE interruptEvent = nullptr;

BOOL WINAPI OnConsoleControl(DWORD type) {
    switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        (void)SetEvent(interruptEvent);
        // A closing console gives the process a few seconds after this returns; the capture ends within
        // them, so returning at once is enough for Ctrl+C and Ctrl+Break too.
        return TRUE;
    default:
        return FALSE;
    }
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Console control events reach a process that has a console. This window-subsystem program has none of
// its own: it joins the console it was started from, where Ctrl+C is pressed. Started from a Unix
// terminal, Wine gives it no console to join, and turns the terminal's SIGINT into Ctrl+C only for a
// process with a console: there it gets one without a window. Either way the standard handles the
// program was given (a file, a pipe) stay its output.
void JoinAConsole() {
    const DWORD which[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE given[3];
    for (int i = 0; i < 3; ++i) {
        given[i] = GetStdHandle(which[i]);
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED && RunningUnderWine()) {
        (void)AllocConsole();
    }
    for (int i = 0; i < 3; ++i) {
        if (given[i] != nullptr && given[i] != INVALID_HANDLE_VALUE) {
            (void)SetStdHandle(which[i], given[i]);
        }
    }
}

} // namespace

ConsoleInterrupt::ConsoleInterrupt() : m_event(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    interruptEvent = m_event.Get();
    JoinAConsole();
    // A process started with Ctrl+C ignored (as a background job's is) would never hear of it otherwise.
    (void)SetConsoleCtrlHandler(nullptr, FALSE);
    (void)SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

ConsoleInterrupt::~ConsoleInterrupt() {
    (void)SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    interruptEvent = nullptr;
}

} // namespace capture_host
