// The acceleration watcher's rules, over a socket seam so that they run without a real raw socket.
#include "net/watcher_loop.h"

namespace net {

unsigned DrainUntilStopped(DatagramSource& source, const std::atomic<bool>& running) {
    unsigned char buffer[kWatcherBufferSize];
    unsigned exitCode = kWatcherStopped;
    while (running.load(std::memory_order_acquire)) {
        if (source.Receive(buffer, sizeof buffer) == ReceiveOutcome::Failed) {
            // A stop closes the source to end the pending receive: that failure is the stop itself.
            if (running.load(std::memory_order_acquire)) {
                exitCode = kWatcherReceiveFailed;
            }
            break;
        }
    }
    source.Close();
    return exitCode;
}

} // namespace net
