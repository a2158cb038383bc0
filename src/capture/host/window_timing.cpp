// The window host timed: how long after the start of capture its list showed every flow of the data.
#include "capture/host/window_timing.h"

#include <cstdio>
#include <string>

#include "capture/engine/capture_engine.h"
#include "capture/flows/traffic_counters.h"
#include "capture/flows/traffic_list.h"
#include "capture/host/console_capture.h"
#include "framework/message_loop.h"

namespace capture_host {

namespace {

// Between the window's messages, the data's end is looked for this often.
constexpr DWORD kEndPollMilliseconds = 1;

} // namespace

int TimeWindowCapture(CCaptureWindow& window) {
    ReportMessageBoxesOnStandardError(); // nobody watches a timed run
    LARGE_INTEGER start;
    (void)QueryPerformanceCounter(&start);
    const double graphBefore = window.GraphPaintSeconds();
    if (!window.StartCapturing()) {
        (void)window.SendMessage(WM_CLOSE);
        return 1;
    }
    // The capture thread hands every refresh of the list and the status line to this thread and waits for
    // it, and reports the data's end only after the last one. Once the end is seen, the two windows hold
    // the final figures; what they have yet to paint of them is painted before the clock is read.
    if (!fw::PumpUntil([] { return WaitForCaptureEnd(0); }, INFINITE, kEndPollMilliseconds)) {
        (void)WriteOutput("capture: the window was closed before the data's end\n", true);
        return 1;
    }
    window.RefreshGraph(); // the whole capture, as the data's end shows it
    (void)::RedrawWindow(window.m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    LARGE_INTEGER shown;
    (void)QueryPerformanceCounter(&shown);
    const double graphSeconds = window.GraphPaintSeconds() - graphBefore;

    // Whether the list showed it all is checked once the capture thread has ended, while the rows are there.
    std::string problem;
    std::size_t flows = 0;
    window.StopCapturing([&] {
        flows = theTrafficList.RowCount();
        std::string csv;
        std::string status;
        char totals[300];
        capture::FormatTotals(totals, packetCount.load(), totalBytes.load());
        if (!window.ReadFlows(csv, status)) {
            problem = csv;
        } else if (status != totals) {
            problem = "the status line says \"" + status + "\", the totals are \"" + totals + "\"";
        }
    });
    (void)window.SendMessage(WM_CLOSE);
    if (!problem.empty()) {
        (void)WriteOutput(("capture: the list did not show the data's end: " + problem + "\n").c_str(), true);
        return 1;
    }
    char line[120];
    std::snprintf(line, sizeof line, "capture: the list showed the last of %zu flows %.6f s after the start\n", flows,
                  SecondsBetween(start, shown));
    (void)WriteOutput(line, true);
    std::snprintf(line, sizeof line, "capture: the traffic graph took %.6f s of it to draw\n", graphSeconds);
    (void)WriteOutput(line, true);
    return 0;
}

} // namespace capture_host
