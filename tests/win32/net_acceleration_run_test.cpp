// One acceleration run on the real Windows Sockets: the raw socket's opening and the watcher's receive rules.
#include "net/acceleration_run.h"

#include "framework/thread.h"
#include "loopback.h"
#include "platform/socket_handle.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::BoundUdpSocket;
using testsupport::WinsockSession;

std::unique_ptr<net::SocketSource> UdpSource(u_short& port) {
    return std::make_unique<net::SocketSource>(BoundUdpSocket(port).Release());
}

bool IsOpenSocket(SOCKET socket) {
    int type = 0;
    int length = sizeof type;
    return getsockopt(socket, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length) == 0;
}

TEST(OpenRawSocket, ARefusedRawSocketSaysSoWithTheError) {
    WinsockSession winsock;
    net::LocalAddress table[2] = {};
    net::SetAddressField(table[0].address, "127.0.0.1");
    net::SetAddressField(table[1].address, "127.0.0.1");
    net::RawSocketOpening opening = net::OpenRawSocket(table, 2);
    if (opening.step == net::RawSocketStep::Ready) {
        GTEST_SKIP() << "raw sockets are permitted here";
    }
    // Without administrator rights (and always under Wine) the platform refuses the socket itself.
    EXPECT_EQ(opening.step, net::RawSocketStep::Create);
    EXPECT_TRUE(opening.error == WSAEPROTONOSUPPORT || opening.error == WSAEACCES) << opening.error;
    EXPECT_EQ(opening.source, nullptr);
    EXPECT_EQ(opening.socket, INVALID_SOCKET);
    EXPECT_EQ(net::RawSocketNote(opening.step, opening.error, opening.address),
              "Acceleration needs administrator rights: raw socket refused (error " + std::to_string(opening.error) +
                  ")");
}

TEST(SocketSourceReceive, DatagramsTooLargeForTheBufferCountAsReceived) {
    WinsockSession winsock;
    u_short port = 0;
    const auto source = UdpSource(port);
    unsigned char buffer[net::kWatcherBufferSize];
    testsupport::SendUdp(port, 100);
    EXPECT_EQ(source->Receive(buffer, sizeof buffer), net::ReceiveOutcome::Datagram);
    testsupport::SendUdp(port, 2000);
    EXPECT_EQ(source->Receive(buffer, sizeof buffer), net::ReceiveOutcome::Truncated);
    testsupport::SendUdp(port, net::kWatcherBufferSize);
    EXPECT_EQ(source->Receive(buffer, sizeof buffer), net::ReceiveOutcome::Datagram);
    source->Close();
    EXPECT_EQ(source->Socket(), INVALID_SOCKET);
    EXPECT_EQ(source->Receive(buffer, sizeof buffer), net::ReceiveOutcome::Failed);
}

// Starts watchers through the framework's thread start and gives their exit codes as they end.
class WatcherThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::SetThreadHooks(nullptr, [this](AFX_THREADPROC proc, void*, unsigned code) {
            if (proc == net::WatcherThreadProc) {
                ended_.set_value(code);
            }
        });
        window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        fw::SetThreadHooks(nullptr, nullptr);
        (void)DestroyWindow(window_);
    }

    std::shared_ptr<net::AccelerationRun> Start(std::unique_ptr<net::DatagramSource> source, uint32_t serial = 1) {
        auto run = std::make_shared<net::AccelerationRun>(std::move(source), window_, serial);
        auto* param = new std::shared_ptr<net::AccelerationRun>(run);
        EXPECT_TRUE(AfxBeginThread(net::WatcherThreadProc, param));
        return run;
    }
    // The watcher's exit code, or -1 when it has not ended within the time.
    int ExitCode() {
        auto future = ended_.get_future();
        if (future.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            return -1;
        }
        return static_cast<int>(future.get());
    }
    // The failure the watcher posted to its window: {error, serial}, or {-1, -1} when there is none.
    std::pair<long long, long long> PostedFailure() {
        MSG msg{};
        if (!PeekMessageA(&msg, window_, net::kAccelerationFailedMessage, net::kAccelerationFailedMessage, PM_REMOVE)) {
            return {-1, -1};
        }
        return {static_cast<long long>(msg.wParam), static_cast<long long>(msg.lParam)};
    }

    WinsockSession winsock_;
    std::promise<unsigned> ended_;
    HWND window_ = nullptr;
};

TEST_F(WatcherThreadTest, AStopEndsTheWatcherAtOnceOnAQuietSocket) {
    u_short port = 0;
    auto source = UdpSource(port);
    const SOCKET socket = source->Socket();
    const auto run = Start(std::move(source));
    testsupport::SendUdp(port, 2000); // oversized: drained, not an error
    testsupport::SendUdp(port, 10);
    // Nothing more arrives: the stop itself must end the pending receive.
    run->Stop();
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_FALSE(IsOpenSocket(socket));
    EXPECT_EQ(PostedFailure().first, -1); // a stop is not a failure
}

TEST_F(WatcherThreadTest, AReceiveErrorEndsWithOneAndTellsTheWindowOnce) {
    u_short port = 0;
    auto source = UdpSource(port);
    const SOCKET socket = source->Socket();
    const auto run = Start(std::move(source), 42);
    // The socket breaks under the watcher while the run is on.
    ASSERT_EQ(closesocket(socket), 0);
    EXPECT_EQ(ExitCode(), 1);
    EXPECT_TRUE(run->running.load()); // the window decides what the run's state becomes
    const auto [error, serial] = PostedFailure();
    EXPECT_NE(error, 0);
    EXPECT_EQ(serial, 42);
    EXPECT_EQ(PostedFailure().first, -1);
}

TEST_F(WatcherThreadTest, StoppingAnOldRunLeavesTheNewRunsSocketAlone) {
    u_short oldPort = 0;
    u_short newPort = 0;
    const auto oldRun = Start(UdpSource(oldPort));
    auto newSource = UdpSource(newPort);
    const SOCKET newSocket = newSource->Socket();
    const net::AccelerationRun newRun(std::move(newSource), window_, 2);
    oldRun->Stop();
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_TRUE(IsOpenSocket(newSocket));
    EXPECT_TRUE(newRun.running.load());
}

} // namespace
