// One acceleration run: its own raw socket and stop flag, shared by the window and the run's watcher thread.
#include "net/acceleration_run.h"

#include <mstcpip.h>

#include <memory>

#include "platform/socket_handle.h"

namespace net {

int32_t accelerationRunning = 0;
SOCKET rawSocket = INVALID_SOCKET;

RawSocketOpening OpenRawSocket(const LocalAddress* table, int count) {
    RawSocketOpening opening;
    if (table != nullptr) {
        const LocalAddress& chosen = table[ChooseBindAddress(table, count)];
        opening.address.assign(chosen.address, strnlen(chosen.address, sizeof chosen.address));
    }
    platform::SocketHandle socket(WSASocketA(AF_INET, SOCK_RAW, 0, nullptr, 0, WSA_FLAG_OVERLAPPED));
    if (!socket.IsValid()) {
        opening.step = RawSocketStep::Create;
        opening.error = WSAGetLastError();
        return opening;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = 0;
    local.sin_addr.s_addr = inet_addr(opening.address.c_str());
    if (bind(socket.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        if (error != WSAEINPROGRESS) {
            opening.step = RawSocketStep::Bind;
            opening.error = error;
            return opening; // the socket closes here
        }
    }
    DWORD enable = 1;
    DWORD output = 0;
    DWORD returned = 0;
    if (WSAIoctl(socket.Get(), SIO_RCVALL, &enable, sizeof enable, &output, sizeof output, &returned, nullptr,
                 nullptr) == SOCKET_ERROR) {
        // Without receive-all mode the socket would see next to nothing: not a run worth showing as one.
        opening.step = RawSocketStep::ReceiveAll;
        opening.error = WSAGetLastError();
        return opening;
    }
    opening.step = RawSocketStep::Ready;
    opening.socket = socket.Get();
    opening.source = std::make_unique<SocketSource>(socket.Release());
    return opening;
}

ReceiveOutcome SocketSource::Receive(unsigned char* buffer, size_t size) {
    const SOCKET socket = socket_.load();
    if (socket == INVALID_SOCKET) {
        return ReceiveOutcome::Failed;
    }
    sockaddr_in sender{};
    int senderLength = sizeof sender;
    const int received = recvfrom(socket, reinterpret_cast<char*>(buffer), static_cast<int>(size), 0,
                                  reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (received != SOCKET_ERROR) {
        return ReceiveOutcome::Datagram;
    }
    const int error = WSAGetLastError();
    if (error == WSAEMSGSIZE) {
        return ReceiveOutcome::Truncated;
    }
    lastError_.store(error);
    return ReceiveOutcome::Failed;
}

void SocketSource::Close() {
    // Exchanged first, so that a stop and the watcher's own close never close the socket twice.
    const SOCKET socket = socket_.exchange(INVALID_SOCKET);
    if (socket != INVALID_SOCKET) {
        platform::SocketTraits::Close(socket);
    }
}

UINT WatcherThreadProc(LPVOID param) {
    std::unique_ptr<std::shared_ptr<AccelerationRun>> handed(static_cast<std::shared_ptr<AccelerationRun>*>(param));
    if (!handed || !*handed) {
        return kWatcherReceiveFailed;
    }
    AccelerationRun& run = **handed;
    const unsigned exitCode = DrainUntilStopped(run.Source(), run.running);
    if (exitCode == kWatcherReceiveFailed) {
        (void)PostMessageA(run.Notify(), kAccelerationFailedMessage, static_cast<WPARAM>(run.Source().LastError()),
                           static_cast<LPARAM>(run.Serial()));
    }
    return exitCode;
}

} // namespace net
