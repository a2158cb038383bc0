// The console's --ipfix.
#include "capture/host/console_export.h"

#include <string>

#include "capture/flows/traffic_list.h"

namespace capture_host {

bool ConsoleExport::Start(const capture::HostOptions& options) {
    if (options.ipfix.empty()) {
        return true;
    }
    capture::CollectorAddress collector;
    std::string error;
    m_exporter.emplace();
    const auto tell = [say = m_say](const std::string& note) { say("ipfix: " + note + "\n"); };
    if (!capture::ParseCollectorAddress(options.ipfix, collector, error) || !m_exporter->Open(collector, tell, error)) {
        m_say("Error: " + error + "\n");
        m_exporter.reset();
        return false;
    }
    m_exporter->StartCapture(theTrafficList, options.adapter);
    return true;
}

void ConsoleExport::Finish() {
    if (!m_exporter) {
        return;
    }
    (void)m_exporter->EndCapture(theTrafficList); // records left unsent have been said
    m_say("ipfix: " + m_exporter->Summary() + "\n");
    m_exporter.reset();
}

} // namespace capture_host
