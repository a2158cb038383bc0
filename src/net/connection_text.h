// The connection status and connection-kind texts of the statistics box.
#pragma once

#include <cstdint>
#include <string>

namespace net {

// Flag bits of the platform's connected-state call that the window names.
constexpr uint32_t kConnectionModem = 0x01;
constexpr uint32_t kConnectionLan = 0x02;
constexpr uint32_t kConnectionProxy = 0x04;
constexpr uint32_t kConnectionOffline = 0x20;

// " Connected" when connected, "N/A" otherwise.
[[nodiscard]] std::string ConnectionStatusText(bool connected);

// The kinds of connection in the window's order: " LAN ", " Modem ", " Offline ", " Proxy ". Other bits add
// nothing.
[[nodiscard]] std::string ConnectionKindText(uint32_t flags);

} // namespace net
