// The capture host's console mode: one capture, then the flows as CSV and the status line.
#include "capture/host/console_capture.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "capture/capture_engine.h"
#include "capture/host/capture_window.h"
#include "capture/traffic_counters.h"
#include "framework/message_box.h"
#include "framework/message_loop.h"

namespace capture_host {

namespace {

constexpr DWORD kPollMilliseconds = 50;
// While timing, the count is watched closely enough to tell when it last moved.
constexpr DWORD kTimingPollMilliseconds = 1;

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

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    (void)QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Serves the window's messages until the capture is done: for the seconds asked for, or until the capture
// thread has found the source idle. Returns the seconds from start to the moment the packet count was last
// seen to change.
double WaitUntilDone(const capture::HostOptions& options, const LARGE_INTEGER& start) {
    const uint32_t idleBefore = idleReceiveCount.load();
    uint32_t lastCount = packetCount.load();
    LARGE_INTEGER lastChange = start;
    const auto done = [&] {
        const uint32_t count = packetCount.load();
        if (count != lastCount) {
            lastCount = count;
            (void)QueryPerformanceCounter(&lastChange);
        }
        return options.seconds <= 0 && idleReceiveCount.load() != idleBefore;
    };
    (void)fw::PumpUntil(done, options.seconds > 0 ? static_cast<DWORD>(options.seconds) * 1000u : INFINITE,
                        options.timing ? kTimingPollMilliseconds : kPollMilliseconds);
    return Seconds(start, lastChange);
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
    LARGE_INTEGER start;
    (void)QueryPerformanceCounter(&start);
    if (!window.StartCapturing())
        return 1;
    const double counted = WaitUntilDone(options, start);

    std::string csv;
    std::string status;
    bool consistent = false;
    window.StopCapturing([&] { consistent = window.ReadFlows(csv, status); });
    if (!consistent) {
        WriteOutput(("the list is not the table: " + csv + "\n").c_str(), true);
        return 2;
    }
    WriteOutput((csv + status + "\n").c_str(), false);
    if (options.timing) {
        char line[120];
        std::snprintf(line, sizeof line, "capture: the last datagram was counted %.6f s after the start\n", counted);
        WriteOutput(line, true);
    }
    return 0;
}

} // namespace capture_host
