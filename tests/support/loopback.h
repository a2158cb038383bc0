// Loopback UDP for the tests: Windows Sockets started for a scope, a socket bound to a free port of
// 127.0.0.1, and datagrams sent to such a port.
#pragma once

#include <winsock2.h>

#include <cstddef>

#include "platform/socket_handle.h"

namespace testsupport {

class WinsockSession {
public:
    WinsockSession();
    ~WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

private:
    bool started_ = false;
};

// A UDP socket bound to a free port of 127.0.0.1, and the port.
[[nodiscard]] platform::SocketHandle BoundUdpSocket(u_short& port);

// Sends `count` datagrams of `size` bytes to the port of 127.0.0.1.
void SendUdp(u_short port, size_t size, int count = 1);

} // namespace testsupport
