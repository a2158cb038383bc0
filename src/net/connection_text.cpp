// The connection status and connection-kind texts of the statistics box.
#include "net/connection_text.h"

namespace net {

std::string ConnectionStatusText(bool connected) {
    return connected ? " Connected" : "N/A";
}

std::string ConnectionKindText(uint32_t flags) {
    std::string text;
    if (flags & kConnectionLan) {
        text += " LAN ";
    }
    if (flags & kConnectionModem) {
        text += " Modem ";
    }
    if (flags & kConnectionOffline) {
        text += " Offline ";
    }
    if (flags & kConnectionProxy) {
        text += " Proxy ";
    }
    return text;
}

} // namespace net
