// The capture host's console mode: one capture, then the flows as CSV and the status line.
#include "capture/host/console_capture.h"

#include <windows.h>

#include <string>

#include "capture/capture_engine.h"
#include "capture/host/capture_window.h"
#include "framework/message_box.h"

namespace capture_host {

namespace {

constexpr DWORD kPollMilliseconds = 50;

HANDLE StandardHandle(bool error) {
    const DWORD which = error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        // A program of the window subsystem started from a console has no handles of its own.
        (void)AttachConsole(ATTACH_PARENT_PROCESS);
        handle = GetStdHandle(which);
    }
    return handle;
}

// Serves the window's messages until the capture is done.
void WaitUntilDone(const capture::HostOptions& options) {
    const uint32_t idleBefore = idleReceiveCount.load();
    const DWORD start = GetTickCount();
    for (;;) {
        const bool done = options.seconds > 0 ? GetTickCount() - start >= static_cast<DWORD>(options.seconds) * 1000u
                                              : idleReceiveCount.load() != idleBefore;
        if (done)
            return;
        (void)MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMilliseconds, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            (void)TranslateMessage(&message);
            (void)DispatchMessageA(&message);
        }
    }
}

} // namespace

void WriteOutput(const char* text, bool error) {
    HANDLE handle = StandardHandle(error);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return;
    const std::string bytes(text);
    DWORD written = 0;
    std::size_t at = 0;
    while (at < bytes.size() &&
           WriteFile(handle, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) &&
           written != 0)
        at += written;
}

int RunConsoleCapture(const capture::HostOptions& options) {
    fw::SetMessageBoxHook([](HWND, const std::string& text, const std::string& caption, unsigned int) {
        WriteOutput((caption + ": " + text + (text.empty() || text.back() != '\n' ? "\n" : "")).c_str(), true);
        return IDOK;
    });
    CCaptureWindow window;
    if (!window.Create(false)) {
        WriteOutput("the capture window cannot be created\n", true);
        return 1;
    }
    window.SetAdapter(options.adapter);
    if (!window.StartCapturing())
        return 1;
    WaitUntilDone(options);

    std::string csv;
    std::string status;
    bool consistent = false;
    window.StopCapturing([&] { consistent = window.ReadFlows(csv, status); });
    if (!consistent) {
        WriteOutput(("the list is not the table: " + csv + "\n").c_str(), true);
        return 2;
    }
    WriteOutput((csv + status + "\n").c_str(), false);
    return 0;
}

} // namespace capture_host
