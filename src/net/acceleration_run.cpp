// One acceleration run: its own raw socket and stop flag, shared by the window and the run's watcher thread.
#include "net/acceleration_run.h"

#include <mstcpip.h>

#include <memory>

namespace net {

int32_t accelerationRunning = 0;
SOCKET rawSocket = INVALID_SOCKET;

RawSocketOpening OpenRawSocket(const LocalAddress* table, int count) {
    RawSocketOpening opening;
    if (table != nullptr) {
        const LocalAddress& chosen = table[ChooseBindAddress(table, count)];
        opening.address.assign(chosen.address, strnlen(chosen.address, sizeof chosen.address));
    }
    SocketHandle socket(WSASocketA(AF_INET, SOCK_RAW, 0, nullptr, 0, WSA_FLAG_OVERLAPPED));
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
        opening.step = RawSocketStep::ReceiveAll;
        opening.error = WSAGetLastError();
    } else {
        opening.step = RawSocketStep::Ready;
    }
    opening.socket = std::move(socket);
    return opening;
}

ReceiveOutcome AccelerationRun::Receive(unsigned char* buffer, size_t size) {
    if (!socket_.IsValid())
        return ReceiveOutcome::Failed;
    sockaddr_in sender{};
    int senderLength = sizeof sender;
    const int received = recvfrom(socket_.Get(), reinterpret_cast<char*>(buffer), static_cast<int>(size), 0,
                                  reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (received != SOCKET_ERROR)
        return ReceiveOutcome::Datagram;
    return WSAGetLastError() == WSAEMSGSIZE ? ReceiveOutcome::Truncated : ReceiveOutcome::Failed;
}

UINT WatcherThreadProc(LPVOID param) {
    std::unique_ptr<std::shared_ptr<AccelerationRun>> handed(static_cast<std::shared_ptr<AccelerationRun>*>(param));
    if (!handed || !*handed)
        return kWatcherReceiveFailed;
    AccelerationRun& run = **handed;
    return DrainUntilStopped(run, run.running);
}

} // namespace net
