// The capture host's console mode: one capture, then the flows as CSV and the status line.
#include "capture/host/console_capture.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "capture/engine/capture_engine.h"
#include "capture/flows/flow_csv.h"
#include "capture/flows/traffic_counters.h"
#include "capture/flows/traffic_list.h"
#include "capture/host/console_export.h"
#include "framework/message_box.h"

namespace capture_host {

namespace {

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

// Waits until the adapter's data end or the seconds given have passed. While timing, returns the seconds
// from start to the moment the packet count was last seen to change.
double WaitUntilDone(const capture::HostOptions& options, const LARGE_INTEGER& start) {
    const DWORD limit = options.seconds > 0 ? static_cast<DWORD>(options.seconds) * 1000u : INFINITE;
    if (!options.timing) {
        (void)WaitForCaptureEnd(limit);
        return 0;
    }
    const DWORD startTick = GetTickCount();
    uint32_t lastCount = packetCount.load();
    LARGE_INTEGER lastChange = start;
    for (;;) {
        const bool ended = WaitForCaptureEnd(kTimingPollMilliseconds);
        const uint32_t count = packetCount.load();
        if (count != lastCount) {
            lastCount = count;
            (void)QueryPerformanceCounter(&lastChange);
        }
        if (ended || (limit != INFINITE && GetTickCount() - startTick >= limit)) {
            return SecondsBetween(start, lastChange);
        }
    }
}

} // namespace

double SecondsBetween(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    (void)QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void ReportMessageBoxesOnStandardError() {
    fw::SetMessageBoxHook([](HWND, const std::string& text, const std::string& caption, unsigned int) {
        WriteOutput((caption + ": " + text + (text.empty() || text.back() != '\n' ? "\n" : "")).c_str(), true);
        return IDOK;
    });
}

void WriteOutput(const char* text, bool error) {
    HANDLE handle = StandardHandle(error);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string bytes(text);
    DWORD written = 0;
    std::size_t at = 0;
    while (at < bytes.size() &&
           WriteFile(handle, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) &&
           written != 0) {
        at += written;
    }
}

int RunConsoleCapture(const capture::HostOptions& options) {
    ReportMessageBoxesOnStandardError();
    // No window shows the flows while they are counted, so no names are looked up for them either; the
    // table keeps them, and they are printed from it at the end.
    theTrafficList.SetView(nullptr);
    theTrafficList.SetNames(nullptr);
    LARGE_INTEGER start;
    (void)QueryPerformanceCounter(&start);
    ConsoleExport exporter([](const std::string& line) { WriteOutput(line.c_str(), true); });
    if (!exporter.Start(options)) {
        return 1;
    }
    if (StartCapture(options.adapter.c_str(), options.packetsOut.c_str()) != 0) {
        (void)StopCapture(); // a thread that could not be started leaves the engine to be released by a stop
        exporter.Finish();
        return 1;
    }
    const double counted = WaitUntilDone(options, start);

    std::vector<capture::FlowLine> flows;
    char totals[300];
    const bool saved = StopCapture([&] {
        flows = capture::FlowLinesOf(theTrafficList);
        capture::FormatTotals(totals, packetCount.load(), totalBytes.load());
    });
    // Formatted and printed while the flows recorded at the end of the capture are on their way to the
    // collector; the run ends once they have gone.
    WriteOutput((capture::FormatFlowCsv(std::move(flows)) + totals + "\n").c_str(), false);
    exporter.Finish();
    if (options.timing) {
        char line[120];
        std::snprintf(line, sizeof line, "capture: the last datagram was counted %.6f s after the start\n", counted);
        WriteOutput(line, true);
    }
    return saved ? 0 : 3;
}

} // namespace capture_host
