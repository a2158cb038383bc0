// The acceleration switch of the main dialog on the real Windows Sockets: captions, check state, clock,
// footer and one watcher per run.
#include "dialog_runner.h"
#include "process_figures.h"

#include "net/acceleration_run.h"
#include "net/acceleration_text.h"
#include "net/ip_utils.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using testsupport::RunModal;

constexpr const char* kAccelerating = "Status: accelerating\nPress to stop acceleration";
constexpr const char* kStopped = "Status: stopped\nPress to start acceleration ";

class AccelerationTest : public testsupport::DialogTest {};

std::string Caption(CHollowmereDlg& dialog) {
    return dialog.GetDlgItem(IDC_ACCELERATE)->GetWindowText();
}

std::string Footer(CHollowmereDlg& dialog) {
    return dialog.GetDlgItem(IDC_FOOTER)->GetWindowText();
}

void Press(CHollowmereDlg& dialog) {
    (void)dialog.GetDlgItem(IDC_ACCELERATE)->SendMessage(BM_CLICK);
}

// What the window shows for a stopped switch: caption, check state, flag, and a clock that stands still.
void ExpectStopped(CHollowmereDlg& dialog) {
    EXPECT_EQ(Caption(dialog), kStopped);
    EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_ACCELERATE), UINT{BST_UNCHECKED});
    EXPECT_EQ(net::accelerationRunning, 0);
    const std::string clock = dialog.GetDlgItem(IDC_ACCEL_DURATION)->GetWindowText();
    const int32_t seconds = dialog.m_nAccelSeconds;
    // Two ticks of timer 1 pass; timer 2 would have ticked meanwhile.
    const int32_t durationAt = dialog.m_nDurSeconds;
    EXPECT_TRUE(fw::PumpUntil([&] { return dialog.m_nDurSeconds >= durationAt + 2; }, 5000));
    EXPECT_EQ(dialog.m_nAccelSeconds, seconds);
    EXPECT_EQ(dialog.GetDlgItem(IDC_ACCEL_DURATION)->GetWindowText(), clock);
}

void ExpectAccelerating(CHollowmereDlg& dialog) {
    EXPECT_EQ(Caption(dialog), kAccelerating);
    EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_ACCELERATE), UINT{BST_CHECKED});
    EXPECT_EQ(net::accelerationRunning, 1);
    const int32_t seconds = dialog.m_nAccelSeconds;
    EXPECT_TRUE(fw::PumpUntil([&] { return dialog.m_nAccelSeconds > seconds; }, 3000));
}

TEST_F(AccelerationTest, ARefusedRawSocketLeavesTheSwitchStoppedAndSaysWhy) {
    CHollowmereDlg dialog;
    dialog.m_openRawSocket = [] {
        net::RawSocketOpening refused;
        refused.step = net::RawSocketStep::Create;
        refused.error = WSAEACCES;
        return refused;
    };
    RunModal(dialog, [&] {
        EXPECT_EQ(Footer(dialog), "Acceleration needs administrator rights: raw socket refused (error 10013)");
        EXPECT_EQ(dialog.m_strAccelDuration, " 0 hrs :  0 mins :  0 secs");
        EXPECT_FALSE(dialog.m_accelerationRun);
        ExpectStopped(dialog);
        EXPECT_TRUE(WatcherExits().empty()); // no watcher without a socket

        // Each press tries again; a refusal unchecks the switch the press has just checked.
        Press(dialog);
        EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_ACCELERATE), UINT{BST_UNCHECKED});
        EXPECT_EQ(Caption(dialog), kStopped);

        // Once the socket opens, the switch runs and the footer has its own text again.
        dialog.m_openRawSocket = testsupport::QuietOpener();
        Press(dialog);
        ExpectAccelerating(dialog);
        EXPECT_EQ(Footer(dialog).find("Acceleration"), std::string::npos) << Footer(dialog);
    });
}

TEST_F(AccelerationTest, StopEndsTheRunAtOnceAndRestartContinuesTheClock) {
    CHollowmereDlg dialog;
    dialog.m_openRawSocket = testsupport::QuietOpener();
    RunModal(dialog, [&] {
        ExpectAccelerating(dialog);
        const auto first = dialog.m_accelerationRun;
        ASSERT_TRUE(first);

        // Nothing arrives on the socket: the stop alone ends the watcher.
        Press(dialog);
        ASSERT_TRUE(WaitForWatcherExits(1));
        EXPECT_EQ(WatcherExits()[0], net::kWatcherStopped);
        EXPECT_FALSE(first->running.load());
        ExpectStopped(dialog);
        const int32_t stoppedAt = dialog.m_nAccelSeconds;

        Press(dialog);
        EXPECT_NE(dialog.m_accelerationRun, first);
        EXPECT_GT(dialog.m_accelerationRun->Serial(), first->Serial());
        ExpectAccelerating(dialog);
        EXPECT_GT(dialog.m_nAccelSeconds, stoppedAt);
    });
}

TEST_F(AccelerationTest, AFailedReceiveStopsTheSwitchAndSaysWhy) {
    CHollowmereDlg dialog;
    testsupport::QuietSource* source = nullptr;
    dialog.m_openRawSocket = testsupport::QuietOpener(&source);
    RunModal(dialog, [&] {
        ExpectAccelerating(dialog);
        ASSERT_NE(source, nullptr);
        source->Fail(WSAENETDOWN);
        ASSERT_TRUE(WaitForWatcherExits(1));
        EXPECT_EQ(WatcherExits()[0], net::kWatcherReceiveFailed);
        EXPECT_TRUE(fw::PumpUntil([&] { return net::accelerationRunning == 0; }, 5000));
        EXPECT_EQ(Footer(dialog), "Acceleration stopped: its raw socket failed to receive (error 10050)");
        ExpectStopped(dialog);
    });
}

TEST_F(AccelerationTest, AThousandStopsAndStartsLeaveNoThreadOrHandleBehind) {
    CHollowmereDlg dialog;
    dialog.m_openRawSocket = testsupport::QuietOpener();
    RunModal(dialog, [&] {
        ASSERT_EQ(net::accelerationRunning, 1);
        // A few cycles first, so that what the system sets up once (not per run) is there before counting.
        auto cycles = [&](size_t count) {
            for (size_t i = 0; i < count; ++i) {
                Press(dialog); // stop
                Press(dialog); // start
            }
        };
        constexpr size_t kWarmUp = 10;
        cycles(kWarmUp);
        ASSERT_TRUE(WaitForWatcherExits(kWarmUp));
        const testsupport::ProcessFigures before = testsupport::FiguresOfThisProcess();
        if (!testsupport::Counted(before.threadsSource) || !testsupport::Counted(before.handlesSource)) {
            GTEST_SKIP() << "this platform counts no threads or no handles: " << testsupport::Describe(before);
        }
        constexpr size_t kCycles = 1000;
        cycles(kCycles);
        ASSERT_EQ(net::accelerationRunning, 1);
        ASSERT_TRUE(WaitForWatcherExits(kWarmUp + kCycles, 30000)) << WatcherExits().size();
        // A watcher tells its end just before its thread goes: wait for the last ones to go. A leak would be
        // one thread or handle per run; the allowance covers a handle the system may open once meanwhile.
        constexpr unsigned long kHandleAllowance = 2;
        testsupport::ProcessFigures after = testsupport::FiguresOfThisProcess();
        (void)fw::PumpUntil(
            [&] {
                after = testsupport::FiguresOfThisProcess();
                return after.threads <= before.threads && after.handles <= before.handles;
            },
            5000);
        std::printf("after %zu stop and start cycles: threads %lu -> %lu, handles %lu -> %lu\n", kCycles,
                    before.threads, after.threads, before.handles, after.handles);
        EXPECT_LE(after.threads, before.threads);
        EXPECT_LE(after.handles, before.handles + kHandleAllowance);
    });
}

TEST_F(AccelerationTest, TheFooterReturnsToItsOwnTextOnceAStartSucceeds) {
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        dialog.ShowAccelerationNote("");
        const std::string own = Footer(dialog);
        dialog.ShowAccelerationNote(net::RawSocketNote(net::RawSocketStep::Create, 10013, ""));
        EXPECT_EQ(Footer(dialog), "Acceleration needs administrator rights: raw socket refused (error 10013)");
        dialog.ShowAccelerationNote(net::RawSocketNote(net::RawSocketStep::Bind, 10049, "10.9.9.9"));
        EXPECT_EQ(Footer(dialog), "Acceleration could not bind its socket to 10.9.9.9 (error 10049)");
        dialog.ShowAccelerationNote(net::RawSocketNote(net::RawSocketStep::Ready, 0, ""));
        EXPECT_FALSE(own.empty());
        EXPECT_EQ(Footer(dialog), own);
        EXPECT_TRUE(dialog.GetDlgItem(IDC_FOOTER)->IsWindowVisible());
    });
}

TEST_F(AccelerationTest, TheSocketBindsToTheFirstAddressThatIsNeitherLoopbackNorAny) {
    // The platform's addresses in its order: the first usable one is the one to bind.
    ULONG size = 0;
    (void)GetIpAddrTable(nullptr, &size, FALSE);
    std::vector<unsigned char> buffer(size + 256);
    size = static_cast<ULONG>(buffer.size());
    ASSERT_EQ(GetIpAddrTable(reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data()), &size, FALSE), DWORD{NO_ERROR});
    const auto* table = reinterpret_cast<const MIB_IPADDRTABLE*>(buffer.data());
    ASSERT_GT(table->dwNumEntries, 0u);
    std::string expected;
    for (DWORD i = 0; i < table->dwNumEntries && expected.empty(); ++i) {
        in_addr address{};
        address.s_addr = table->table[i].dwAddr;
        const std::string text = inet_ntoa(address);
        if (text != "127.0.0.1" && text != "0.0.0.0") {
            expected = text;
        }
    }
    if (expected.empty()) {
        in_addr first{};
        first.s_addr = table->table[0].dwAddr;
        expected = inet_ntoa(first);
    }
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        // The table was filled by the initialisation from the platform's addresses.
        EXPECT_EQ(net::localAddressCount, static_cast<int>(table->dwNumEntries));
        const net::RawSocketOpening opening = net::OpenRawSocket(net::localAddresses, net::localAddressCount);
        EXPECT_EQ(opening.address, expected);
    });
}

} // namespace
