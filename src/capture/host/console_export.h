// The console's --ipfix: the capture's flows sent to a collector, what went wrong said on standard error,
// and at the end one line saying how many records went.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "capture/export/flow_exporter.h"
#include "capture/host/host_options.h"

namespace capture_host {

class ConsoleExport {
public:
    // say writes one line on standard error.
    explicit ConsoleExport(std::function<void(const std::string& line)> say) : m_say(std::move(say)) {}

    // Before the capture starts: finds the collector of options.ipfix (nothing to do without one). False,
    // after saying why on standard error, when it cannot be found.
    [[nodiscard]] bool Start(const capture::HostOptions& options);
    // After StopCapture: waits until the flows recorded at the end are sent, then says how many went.
    void Finish();

private:
    std::function<void(const std::string& line)> m_say;
    std::optional<capture::FlowExporter> m_exporter;
};

} // namespace capture_host
