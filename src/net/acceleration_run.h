// One acceleration run: its own raw socket and stop flag, shared by the window and the run's watcher thread.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "net/acceleration_text.h"
#include "net/local_address.h"
#include "net/watcher_loop.h"

namespace net {

// The window's acceleration state: 1 while acceleration is on (written and read by the UI thread only;
// each run's watcher reads its own run's flag instead).
extern int32_t accelerationRunning;
// The socket of the latest run as it was opened (INVALID_SOCKET when opening failed). The run owns and
// closes it; this copy is for looking at only.
extern SOCKET rawSocket;

// Posted by a watcher to its window when a receive fails while its run is on: wParam is the platform's
// error code, lParam the run's serial number. The one message that crosses from that thread.
constexpr UINT kAccelerationFailedMessage = WM_APP + 11;

// A socket as the watcher's datagram source. Closing it from another thread ends a pending receive.
class SocketSource final : public DatagramSource {
public:
    explicit SocketSource(SOCKET socket) : socket_(socket) {}
    ~SocketSource() override { Close(); }
    SocketSource(const SocketSource&) = delete;
    SocketSource& operator=(const SocketSource&) = delete;

    [[nodiscard]] SOCKET Socket() const { return socket_.load(); }

    // One datagram into `buffer` with recvfrom. WSAEMSGSIZE (a datagram larger than the buffer) is a datagram
    // received; any other error, or no socket, is a failure.
    ReceiveOutcome Receive(unsigned char* buffer, size_t size) override;
    void Close() override;
    [[nodiscard]] int LastError() const override { return lastError_.load(); }

private:
    std::atomic<SOCKET> socket_;
    std::atomic<int> lastError_{0};
};

// The raw receive-all socket of a run, as far as it could be opened.
struct RawSocketOpening {
    std::unique_ptr<DatagramSource> source; // null unless the socket was created, bound and switched
    SOCKET socket = INVALID_SOCKET;         // the handle inside `source`, for looking at only
    RawSocketStep step = RawSocketStep::Create;
    int error = 0;
    std::string address; // the local address chosen for the bind (also when the socket was refused)
};

// Creates a raw IPv4 socket, binds it to the first table address that is neither "127.0.0.1" nor
// "0.0.0.0" (else entry 0) and switches it to receive all traffic of its interface. A bind that reports
// WSAEINPROGRESS counts as done. When any step fails the result holds no source and says which step.
[[nodiscard]] RawSocketOpening OpenRawSocket(const LocalAddress* table, int count);

class AccelerationRun {
public:
    // `notify` hears of a receive failure through kAccelerationFailedMessage with `serial`.
    AccelerationRun(std::unique_ptr<DatagramSource> source, HWND notify, uint32_t serial)
        : source_(std::move(source)), notify_(notify), serial_(serial) {}

    // Cleared by Stop; the watcher looks before each receive.
    std::atomic<bool> running{true};

    // Ends the run at once: clears the flag and closes the socket under the watcher's pending receive.
    void Stop() {
        running.store(false, std::memory_order_release);
        source_->Close();
    }

    [[nodiscard]] DatagramSource& Source() { return *source_; }
    [[nodiscard]] HWND Notify() const { return notify_; }
    [[nodiscard]] uint32_t Serial() const { return serial_; }

private:
    std::unique_ptr<DatagramSource> source_;
    HWND notify_;
    uint32_t serial_;
};

// The watcher thread of one run, started through the framework's thread start. `param` is a heap-allocated
// std::shared_ptr<AccelerationRun> that the thread takes over. Exit code 0 when the run was stopped, 1 on a
// receive error, which is also posted to the run's window; the run's socket is closed in both cases.
UINT WatcherThreadProc(LPVOID param);

} // namespace net
