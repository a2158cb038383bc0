// The window's export of flows to a collector.
#include "capture/host/window_export.h"

#include <cctype>
#include <utility>

#include "capture/flows/traffic_list.h"
#include "capture/host/collector_prompt.h"
#include "capture/host/host_ids.h"
#include "framework/message_box.h"

namespace capture_host {

bool WindowExport::Choose(HWND owner, std::string& note) {
    std::string text = m_collector;
    for (;;) {
        if (!AskForCollector(owner, text)) {
            return false;
        }
        if (text.empty()) {
            m_exporter.reset();
            m_collector.clear();
            note = "The flows are not sent to a collector";
            return true;
        }
        capture::CollectorAddress collector;
        std::string error;
        auto exporter = std::make_unique<capture::FlowExporter>();
        const auto keep = [this](const std::string& said) {
            const std::lock_guard lock(m_noteLock);
            m_note = said;
        };
        if (capture::ParseCollectorAddress(text, collector, error) && exporter->Open(collector, keep, error)) {
            m_exporter = std::move(exporter);
            m_collector = text;
            note = "The flows of each capture go to " + m_exporter->Destination() + " as IPFIX";
            return true;
        }
        if (!error.empty()) {
            error[0] = static_cast<char>(toupper(static_cast<unsigned char>(error[0])));
        }
        (void)fw::ShowMessageBox(owner, error.c_str(), kWindowCaption, MB_OK | MB_ICONERROR);
    }
}

std::string WindowExport::StartCapture(const std::string& adapterName) {
    if (!m_exporter) {
        return "";
    }
    m_exporter->StartCapture(theTrafficList, adapterName);
    return "Flows go to " + m_exporter->Destination() + " as IPFIX";
}

std::string WindowExport::EndCapture() {
    if (!m_exporter) {
        return "";
    }
    (void)m_exporter->EndCapture(theTrafficList); // what failed is in the summary
    (void)TakeNote();
    return m_exporter->Summary();
}

std::string WindowExport::TakeNote() {
    const std::lock_guard lock(m_noteLock);
    return std::exchange(m_note, std::string());
}

} // namespace capture_host
