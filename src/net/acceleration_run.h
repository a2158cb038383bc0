// One acceleration run: its own raw socket and stop flag, shared by the window and the run's watcher thread.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "net/acceleration_text.h"
#include "net/local_address.h"
#include "net/socket_handle.h"
#include "net/watcher_loop.h"

namespace net {

// The window's acceleration state: 1 while acceleration is on (written and read by the UI thread only;
// each run's watcher reads its own run's flag instead).
extern int32_t accelerationRunning;
// The socket of the latest run as it was opened (INVALID_SOCKET when opening failed). The run's watcher
// owns and closes it; this copy is for looking at only.
extern SOCKET rawSocket;

// The raw receive-all socket of a run, as far as it could be opened.
struct RawSocketOpening {
    SocketHandle socket;
    RawSocketStep step = RawSocketStep::Create;
    int error = 0;
    std::string address; // the local address chosen for the bind (also when the socket was refused)
};

// Creates a raw IPv4 socket, binds it to the first table address that is neither "127.0.0.1" nor
// "0.0.0.0" (else entry 0) and switches it to receive all traffic of its interface. A bind that reports
// WSAEINPROGRESS counts as done. When creation or binding fails the result holds no socket.
[[nodiscard]] RawSocketOpening OpenRawSocket(const LocalAddress* table, int count);

class AccelerationRun final : public DatagramSource {
public:
    explicit AccelerationRun(SocketHandle socket) : socket_(std::move(socket)) {}

    // Cleared by the window to stop this run; the watcher looks before each receive.
    std::atomic<bool> running{true};

    [[nodiscard]] SOCKET Socket() const { return socket_.Get(); }

    // The watcher's receive: one datagram into `buffer` with recvfrom. WSAEMSGSIZE (a datagram larger than
    // the buffer) is a datagram received; any other error, or no socket, is a failure.
    ReceiveOutcome Receive(unsigned char* buffer, size_t size) override;
    void Close() override { socket_.Close(); }

private:
    SocketHandle socket_;
};

// The watcher thread of one run, started through the framework's thread start. `param` is a heap-allocated
// std::shared_ptr<AccelerationRun> that the thread takes over. Exit code 0 when the run was stopped, 1 on a
// receive error; the run's socket is closed in both cases.
UINT WatcherThreadProc(LPVOID param);

} // namespace net
