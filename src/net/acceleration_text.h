// The acceleration switch's captions and the footer notes that tell why a run has no working socket.
#pragma once

#include <string>

namespace net {

constexpr const char* kCaptionAccelerating = "Status: accelerating\nPress to stop acceleration";
constexpr const char* kCaptionStopped = "Status: stopped\nPress to start acceleration ";

// Where the raw socket of a run failed: while it was opened, or later in the watcher's receive.
enum class RawSocketStep {
    Ready,      // created, bound and switched to receive-all mode
    Create,     // the platform refused the raw socket (it needs administrator rights)
    Bind,       // the chosen local address could not be bound
    ReceiveAll, // bound, but receive-all mode was refused
    Receive     // the running watcher's receive failed, which ended the run
};

// The footer note for a run whose socket failed at `step` with the platform's `error`; empty for Ready.
[[nodiscard]] std::string RawSocketNote(RawSocketStep step, int error, const std::string& address);

} // namespace net
