// One acceleration run on the real Windows Sockets: the raw socket's opening and the watcher's receive rules.
#include "net/acceleration_run.h"

#include "framework/thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

namespace {

class WinsockSession {
public:
    WinsockSession() { EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data_), 0); }
    ~WinsockSession() { (void)WSACleanup(); }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

private:
    WSADATA data_{};
};

// A loopback UDP socket bound to a free port, and the port.
net::SocketHandle BoundUdpSocket(u_short& port) {
    net::SocketHandle socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(bind(socket.Get(), reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    int length = sizeof local;
    EXPECT_EQ(getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&local), &length), 0);
    port = ntohs(local.sin_port);
    return socket;
}

void SendTo(u_short port, size_t size) {
    net::SocketHandle sender(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    target.sin_port = htons(port);
    const std::string payload(size, 'p');
    EXPECT_EQ(sendto(sender.Get(), payload.data(), static_cast<int>(payload.size()), 0,
                     reinterpret_cast<sockaddr*>(&target), sizeof target),
              static_cast<int>(size));
}

TEST(OpenRawSocket, ARefusedRawSocketSaysSoWithTheError) {
    WinsockSession winsock;
    net::LocalAddress table[2] = {};
    net::SetAddressField(table[0].address, "127.0.0.1");
    net::SetAddressField(table[1].address, "127.0.0.1");
    net::RawSocketOpening opening = net::OpenRawSocket(table, 2);
    if (opening.step == net::RawSocketStep::Ready)
        GTEST_SKIP() << "raw sockets are permitted here";
    // Without administrator rights (and always under Wine) the platform refuses the socket itself.
    EXPECT_EQ(opening.step, net::RawSocketStep::Create);
    EXPECT_TRUE(opening.error == WSAEPROTONOSUPPORT || opening.error == WSAEACCES) << opening.error;
    EXPECT_FALSE(opening.socket.IsValid());
    EXPECT_EQ(net::RawSocketNote(opening.step, opening.error, opening.address),
              "Acceleration needs administrator rights: raw socket refused (error " + std::to_string(opening.error) +
                  ")");
}

TEST(AccelerationRunReceive, DatagramsTooLargeForTheBufferCountAsReceived) {
    WinsockSession winsock;
    u_short port = 0;
    net::AccelerationRun run(BoundUdpSocket(port));
    unsigned char buffer[net::kWatcherBufferSize];
    SendTo(port, 100);
    EXPECT_EQ(run.Receive(buffer, sizeof buffer), net::ReceiveOutcome::Datagram);
    SendTo(port, 2000);
    EXPECT_EQ(run.Receive(buffer, sizeof buffer), net::ReceiveOutcome::Truncated);
    SendTo(port, net::kWatcherBufferSize);
    EXPECT_EQ(run.Receive(buffer, sizeof buffer), net::ReceiveOutcome::Datagram);
    run.Close();
    EXPECT_EQ(run.Socket(), INVALID_SOCKET);
    EXPECT_EQ(run.Receive(buffer, sizeof buffer), net::ReceiveOutcome::Failed);
}

// Starts the watcher through the framework's thread start and gives its exit code once it ends.
struct WatchedThread {
    std::promise<unsigned> exitCode;
};

class WatcherThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::SetThreadHooks(nullptr, [this](AFX_THREADPROC proc, void*, unsigned code) {
            if (proc == net::WatcherThreadProc)
                ended_.set_value(code);
        });
    }
    void TearDown() override { fw::SetThreadHooks(nullptr, nullptr); }

    void Start(const std::shared_ptr<net::AccelerationRun>& run) {
        auto* param = new std::shared_ptr<net::AccelerationRun>(run);
        ASSERT_NE(AfxBeginThread(net::WatcherThreadProc, param), nullptr);
    }
    // The watcher's exit code, or -1 when it has not ended within the time.
    int ExitCode() {
        auto future = ended_.get_future();
        if (future.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
            return -1;
        return static_cast<int>(future.get());
    }

    WinsockSession winsock_;
    std::promise<unsigned> ended_;
};

TEST_F(WatcherThreadTest, StopEndsWithZeroAtTheNextDatagramAndClosesTheSocket) {
    u_short port = 0;
    auto run = std::make_shared<net::AccelerationRun>(BoundUdpSocket(port));
    const SOCKET socket = run->Socket();
    Start(run);
    SendTo(port, 2000); // oversized: drained, not an error
    SendTo(port, 10);
    Sleep(200);
    run->running.store(false);
    SendTo(port, 10); // the pending receive returns, the watcher sees the stop
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_EQ(run->Socket(), INVALID_SOCKET);
    int type = 0;
    int length = sizeof type;
    EXPECT_EQ(getsockopt(socket, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length), SOCKET_ERROR);
}

TEST_F(WatcherThreadTest, ARunWithoutASocketEndsWithOne) {
    auto run = std::make_shared<net::AccelerationRun>(net::SocketHandle());
    Start(run);
    EXPECT_EQ(ExitCode(), 1);
    EXPECT_TRUE(run->running.load()); // the window's state is not changed by the watcher
}

TEST_F(WatcherThreadTest, AnOldRunKeepsItsOwnSocketWhenANewRunStarts) {
    u_short oldPort = 0;
    u_short newPort = 0;
    auto oldRun = std::make_shared<net::AccelerationRun>(BoundUdpSocket(oldPort));
    auto newRun = std::make_shared<net::AccelerationRun>(BoundUdpSocket(newPort));
    const SOCKET newSocket = newRun->Socket();
    Start(oldRun);
    oldRun->running.store(false);
    // A quick restart: the new run exists before the old watcher has seen its stop.
    SendTo(oldPort, 10);
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_EQ(oldRun->Socket(), INVALID_SOCKET);
    EXPECT_EQ(newRun->Socket(), newSocket); // untouched by the old watcher
    EXPECT_TRUE(newRun->running.load());
}

} // namespace
