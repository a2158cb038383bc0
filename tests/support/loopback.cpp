// Loopback UDP for the tests.
#include "loopback.h"

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

WinsockSession::WinsockSession() {
    WSADATA data{};
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    EXPECT_TRUE(started_);
}

WinsockSession::~WinsockSession() {
    if (started_) {
        (void)WSACleanup();
    }
}

platform::SocketHandle BoundUdpSocket(u_short& port) {
    platform::SocketHandle socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(bind(socket.Get(), reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    int length = sizeof local;
    EXPECT_EQ(getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&local), &length), 0);
    port = ntohs(local.sin_port);
    return socket;
}

void SendUdp(u_short port, size_t size, int count) {
    const platform::SocketHandle sender(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    target.sin_port = htons(port);
    const std::string payload(size, 'p');
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(sendto(sender.Get(), payload.data(), static_cast<int>(payload.size()), 0,
                         reinterpret_cast<sockaddr*>(&target), sizeof target),
                  static_cast<int>(size));
    }
}

} // namespace testsupport
