// The acceleration watcher's rules, over a socket seam so that they run without a real raw socket.
#include "net/watcher_loop.h"

namespace net {

unsigned DrainUntilStopped(DatagramSource& source, const std::atomic<bool>& running) {
    unsigned char buffer[kWatcherBufferSize];
    while (running.load(std::memory_order_acquire)) {
        if (source.Receive(buffer, sizeof buffer) == ReceiveOutcome::Failed) {
            source.Close();
            return kWatcherReceiveFailed;
        }
    }
    source.Close();
    return kWatcherStopped;
}

} // namespace net
