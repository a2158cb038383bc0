// The capture host's console mode: one capture, then the flows as CSV, the status line and the frames' account.
#include "capture/host/console_capture.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "capture/engine/capture_engine.h"
#include "capture/flows/flow_csv.h"
#include "capture/flows/traffic_counters.h"
#include "capture/flows/traffic_list.h"
#include "capture/host/console_export.h"
#include "capture/host/console_interrupt.h"
#include "capture/host/console_outputs.h"
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

// Waits until the adapter's data end, the seconds given have passed or an interrupt comes. While timing,
// returns the seconds from start to the moment the packet count was last seen to change.
double WaitUntilDone(const capture::HostOptions& options, const LARGE_INTEGER& start, HANDLE interrupt) {
    const DWORD limit = options.seconds > 0 ? static_cast<DWORD>(options.seconds) * 1000u : INFINITE;
    if (!options.timing) {
        (void)WaitForCaptureEnd(limit, interrupt);
        return 0;
    }
    const DWORD startTick = GetTickCount();
    uint32_t lastCount = packetCount.load();
    LARGE_INTEGER lastChange = start;
    for (;;) {
        const bool ended = WaitForCaptureEnd(kTimingPollMilliseconds, interrupt);
        const uint32_t count = packetCount.load();
        if (count != lastCount) {
            lastCount = count;
            (void)QueryPerformanceCounter(&lastChange);
        }
        if (ended || WaitForSingleObject(interrupt, 0) == WAIT_OBJECT_0 ||
            (limit != INFINITE && GetTickCount() - startTick >= limit)) {
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
        (void)WriteOutput((caption + ": " + text + (text.empty() || text.back() != '\n' ? "\n" : "")).c_str(), true);
        return IDOK;
    });
}

bool WriteOutput(const char* text, bool error, DWORD* errorCode) {
    HANDLE handle = StandardHandle(error);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        if (errorCode != nullptr) {
            *errorCode = ERROR_INVALID_HANDLE;
        }
        return false;
    }
    const std::string bytes(text);
    DWORD written = 0;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (!WriteFile(handle, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) ||
            written == 0) {
            if (errorCode != nullptr) {
                *errorCode = written == 0 && GetLastError() == ERROR_SUCCESS ? ERROR_WRITE_FAULT : GetLastError();
            }
            return false;
        }
        at += written;
    }
    return true;
}

std::string DroppedLine(bool measured, uint32_t dropped) {
    return measured ? "Dropped: " + std::to_string(dropped) : "Dropped: not measured";
}

int RunConsoleCapture(const capture::HostOptions& options) {
    ReportMessageBoxesOnStandardError();
    // No window shows the flows while they are counted, so no names are looked up for them either; the
    // table keeps them, and they are printed from it at the end.
    theTrafficList.SetView(nullptr);
    theTrafficList.SetNames(nullptr);
    ConsoleOutputs outputs;
    std::string problem;
    if (!outputs.Open(options, problem)) {
        (void)WriteOutput(("Error: " + problem + "\n").c_str(), true);
        return 1;
    }
    // Ready before the capture starts, so that Ctrl+C ends it however early it comes.
    const ConsoleInterrupt interrupt;
    LARGE_INTEGER start;
    (void)QueryPerformanceCounter(&start);
    ConsoleExport exporter([](const std::string& line) { (void)WriteOutput(line.c_str(), true); });
    if (!exporter.Start(options)) {
        return 1;
    }
    if (StartCapture(options.adapter.c_str(), options.packetsOut.c_str()) != 0) {
        (void)StopCapture(); // a thread that could not be started leaves the engine to be released by a stop
        exporter.Finish();
        return 1;
    }
    const double counted = WaitUntilDone(options, start, interrupt.Event());

    std::vector<capture::FlowLine> flows;
    char totals[300];
    std::string figures;
    const bool saved = StopCapture([&] {
        flows = capture::FlowLinesOf(theTrafficList);
        capture::FormatTotals(totals, packetCount.load(), totalBytes.load());
        uint32_t dropped = 0;
        const bool measured = QueryCaptureDrops(dropped);
        figures = capture::FormatFramesLine(CaptureFrameFigures()) + "\n" + DroppedLine(measured, dropped) + "\n";
    });
    std::vector<std::string> problems;
    const bool written = outputs.Finish(problems);
    for (const std::string& text : problems) {
        (void)WriteOutput(("Error: " + text + "\n").c_str(), true);
    }
    // Formatted and printed while the flows recorded at the end of the capture are on their way to the
    // collector; the run ends once they have gone.
    DWORD writeError = 0;
    const bool printed =
        WriteOutput((capture::FormatFlowCsv(std::move(flows)) + totals + "\n" + figures).c_str(), false, &writeError);
    exporter.Finish();
    if (!printed) {
        char line[160];
        std::snprintf(line, sizeof line, "Error: the flows could not be written to the standard output (error %lu)\n",
                      writeError);
        (void)WriteOutput(line, true);
        return kExitOutputNotWritten;
    }
    if (options.timing) {
        char line[120];
        std::snprintf(line, sizeof line, "capture: the last datagram was counted %.6f s after the start\n", counted);
        (void)WriteOutput(line, true);
    }
    return saved && written ? 0 : kExitPacketsNotSaved;
}

} // namespace capture_host
