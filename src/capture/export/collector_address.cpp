// A collector's host and UDP port.
#include "capture/export/collector_address.h"

namespace capture {

bool ParseCollectorAddress(const std::string& text, CollectorAddress& collector, std::string& error) {
    const std::string form = "HOST:PORT (a port from 1 to 65535), not \"" + text + "\"";
    std::string host;
    std::string port;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') {
            error = "the collector is " + form;
            return false;
        }
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        const std::size_t colon = text.rfind(':');
        if (colon == std::string::npos || text.find(':') != colon) {
            // No port, or an IPv6 address without brackets: its last group would be taken for the port.
            error = "the collector is " + form;
            return false;
        }
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    unsigned long number = 0;
    bool digits = !port.empty() && port.size() <= 5;
    for (char c : port) {
        if (c < '0' || c > '9') {
            digits = false;
            break;
        }
        number = number * 10 + static_cast<unsigned long>(c - '0');
    }
    if (host.empty() || !digits || number < 1 || number > 65535) {
        error = "the collector is " + form;
        return false;
    }
    collector.host = host;
    collector.port = static_cast<uint16_t>(number);
    return true;
}

std::string CollectorText(const CollectorAddress& collector) {
    const bool ipv6 = collector.host.find(':') != std::string::npos;
    return (ipv6 ? "[" + collector.host + "]" : collector.host) + ":" + std::to_string(collector.port);
}

} // namespace capture
