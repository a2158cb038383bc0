// The acceleration switch of the main dialog on the real Windows Sockets: captions, check state, clock,
// footer and one watcher per run.
#include "net_dialog_runner.h"

#include "net/acceleration_run.h"
#include "net/acceleration_text.h"
#include "net/ip_utils.h"

#include <string>
#include <vector>

namespace {

using nettest::Pump;
using nettest::RunModal;

constexpr const char* kAccelerating = "Status: accelerating\nPress to stop acceleration";
constexpr const char* kStopped = "Status: stopped\nPress to start acceleration ";

class AccelerationTest : public nettest::DialogTest {};

std::string Caption(CHollowmereDlg& dialog) {
    return dialog.GetDlgItem(IDC_ACCELERATE)->GetWindowText();
}

std::string Footer(CHollowmereDlg& dialog) {
    return dialog.GetDlgItem(IDC_FOOTER)->GetWindowText();
}

void Press(CHollowmereDlg& dialog) {
    (void)dialog.GetDlgItem(IDC_ACCELERATE)->SendMessage(BM_CLICK);
}

TEST_F(AccelerationTest, StartStopAndRestartWithARefusedRawSocket) {
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        // Switched on by the initialisation.
        EXPECT_EQ(Caption(dialog), kAccelerating);
        EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_ACCELERATE), UINT{BST_CHECKED});
        EXPECT_EQ(net::accelerationRunning, 1);
        ASSERT_TRUE(dialog.m_accelerationRun);
        const bool refused = dialog.m_accelerationRun->Socket() == INVALID_SOCKET;
        if (!refused)
            GTEST_SKIP() << "raw sockets are permitted here";
        // The refusal is told in the footer, with the platform's code; the window still shows the run.
        const std::string footer = Footer(dialog);
        EXPECT_EQ(footer.rfind("Acceleration needs administrator rights: raw socket refused (error ", 0), 0u) << footer;
        EXPECT_NE(footer.find("10043"), std::string::npos) << footer;
        // Without a socket the run's watcher ends at its first receive, with 1.
        ASSERT_TRUE(WaitForWatcherExits(1));
        EXPECT_EQ(WatcherExits()[0], 1u);

        // The acceleration clock counts on timer 2.
        Pump(1300);
        EXPECT_NE(dialog.m_strAccelDuration, " 0 hrs :  0 mins :  0 secs");
        EXPECT_GE(dialog.m_nAccelSeconds, 1);

        // Stop: caption, check state and flag change; the clock stands still.
        Press(dialog);
        EXPECT_EQ(Caption(dialog), kStopped);
        EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_ACCELERATE), UINT{BST_UNCHECKED});
        EXPECT_EQ(net::accelerationRunning, 0);
        EXPECT_FALSE(dialog.m_accelerationRun->running.load());
        const int32_t stoppedAt = dialog.m_nAccelSeconds;
        Pump(1300);
        EXPECT_EQ(dialog.m_nAccelSeconds, stoppedAt);
        EXPECT_EQ(Footer(dialog), footer); // still true: no start has succeeded since

        // Restart: a new run with a new watcher; the clock goes on from where it stood.
        const auto previous = dialog.m_accelerationRun;
        Press(dialog);
        EXPECT_EQ(Caption(dialog), kAccelerating);
        EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_ACCELERATE), UINT{BST_CHECKED});
        EXPECT_EQ(net::accelerationRunning, 1);
        EXPECT_NE(dialog.m_accelerationRun, previous);
        EXPECT_TRUE(dialog.m_accelerationRun->running.load());
        EXPECT_FALSE(previous->running.load());
        ASSERT_TRUE(WaitForWatcherExits(2));
        Pump(1300);
        EXPECT_GT(dialog.m_nAccelSeconds, stoppedAt);
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
        if (text != "127.0.0.1" && text != "0.0.0.0")
            expected = text;
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
