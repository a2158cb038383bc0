// The acceleration switch's captions and the footer notes that tell why a run has no working socket.
#include "net/acceleration_text.h"

#include <cstdio>

namespace net {

std::string RawSocketNote(RawSocketStep step, int error, const std::string& address) {
    char text[160];
    switch (step) {
    case RawSocketStep::Ready:
        return {};
    case RawSocketStep::Create:
        std::snprintf(text, sizeof text, "Acceleration needs administrator rights: raw socket refused (error %d)",
                      error);
        break;
    case RawSocketStep::Bind:
        std::snprintf(text, sizeof text, "Acceleration could not bind its socket to %s (error %d)", address.c_str(),
                      error);
        break;
    case RawSocketStep::ReceiveAll:
        std::snprintf(text, sizeof text, "Acceleration: receive-all mode refused (error %d)", error);
        break;
    case RawSocketStep::Receive:
        std::snprintf(text, sizeof text, "Acceleration stopped: its raw socket failed to receive (error %d)", error);
        break;
    }
    return text;
}

} // namespace net
