// The window's export of flows to a collector: the collector chosen with "Export flows to collector...",
// the exporter that sends each capture's flows there, and what it has to say for the status line.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

#include "capture/export/flow_exporter.h"

namespace capture_host {

class WindowExport {
public:
    // Asks for the collector until the answer is one that can be reached, or the person cancels (false).
    // note: what the status line should say now.
    bool Choose(HWND owner, std::string& note);

    // Around a capture: before StartCapture, and after StopCapture (which records every flow left). Both
    // give the note for the status line, empty when no collector is chosen.
    std::string StartCapture(const std::string& adapterName);
    std::string EndCapture();

    // What the exporter said since the last call (the latest), or empty.
    std::string TakeNote();

private:
    std::string m_collector; // as the person typed it
    std::unique_ptr<capture::FlowExporter> m_exporter;
    std::mutex m_noteLock; // the exporter tells its notes on its own thread
    std::string m_note;
};

} // namespace capture_host
