// An owned Windows Sockets handle, closed when its owner goes.
#pragma once

#include <winsock2.h>

#include <utility>

namespace net {

class SocketHandle {
public:
    SocketHandle() = default;
    explicit SocketHandle(SOCKET socket) : socket_(socket) {}
    ~SocketHandle() { Close(); }
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    SocketHandle(SocketHandle&& other) noexcept : socket_(std::exchange(other.socket_, INVALID_SOCKET)) {}
    SocketHandle& operator=(SocketHandle&& other) noexcept {
        if (this != &other) {
            Close();
            socket_ = std::exchange(other.socket_, INVALID_SOCKET);
        }
        return *this;
    }

    [[nodiscard]] bool IsValid() const { return socket_ != INVALID_SOCKET; }
    [[nodiscard]] SOCKET Get() const { return socket_; }
    // Gives up ownership: the caller closes the socket from now on.
    [[nodiscard]] SOCKET Release() { return std::exchange(socket_, INVALID_SOCKET); }

    void Close() {
        if (socket_ != INVALID_SOCKET)
            (void)closesocket(std::exchange(socket_, INVALID_SOCKET));
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

} // namespace net
