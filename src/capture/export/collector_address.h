// Where flow records go: a collector's host and UDP port, as given on the command line or in the window.
#pragma once

#include <cstdint>
#include <string>

namespace capture {

struct CollectorAddress {
    std::string host; // a name, a dotted IPv4 address or an IPv6 address (without its brackets)
    uint16_t port = 0;
};

// Reads "HOST:PORT" or "[IPV6]:PORT", the port a decimal number from 1 to 65535. False, with the reason in
// error, when the text is not of that form.
[[nodiscard]] bool ParseCollectorAddress(const std::string& text, CollectorAddress& collector, std::string& error);

// "HOST:PORT" again, with brackets around an IPv6 address.
std::string CollectorText(const CollectorAddress& collector);

} // namespace capture
