// The acceleration watcher's rules, over a socket seam so that they run without a real raw socket.
#pragma once

#include <atomic>
#include <cstddef>

namespace net {

// Size of the watcher's receive buffer, reused for every datagram.
constexpr size_t kWatcherBufferSize = 1600;

// What one receive gave.
enum class ReceiveOutcome {
    Datagram,  // a datagram arrived (and is dropped)
    Truncated, // a datagram larger than the buffer arrived; its first bytes were received
    Failed,    // the socket reported an error, was closed, or there is no socket
};

// The calls the watcher makes on its socket.
class DatagramSource {
public:
    virtual ~DatagramSource() = default;
    // Blocks until one datagram arrives, or until the source is closed.
    virtual ReceiveOutcome Receive(unsigned char* buffer, size_t size) = 0;
    // Safe from any thread: a receive that waits meanwhile returns Failed at once. Repeating it is harmless.
    virtual void Close() = 0;
    // The platform's code for the last failed receive (0 when it has none).
    [[nodiscard]] virtual int LastError() const { return 0; }
};

// Exit codes of the watcher thread.
constexpr unsigned kWatcherStopped = 0;
constexpr unsigned kWatcherReceiveFailed = 1;

// Drains `source` while `running` is set, checking the flag before each receive. A datagram too large for
// the buffer counts as received. Closes the source in every case and returns the thread's exit code:
// kWatcherStopped once the flag is found cleared (also when the stop closed the source under a pending
// receive), kWatcherReceiveFailed at once on a receive error while the run is still on.
[[nodiscard]] unsigned DrainUntilStopped(DatagramSource& source, const std::atomic<bool>& running);

} // namespace net
