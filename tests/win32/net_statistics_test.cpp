// The interface list and the per-second statistics of the main dialog against the platform's own tables.
#include "dialog_runner.h"

#include "net/connection_text.h"
#include "net/interface_rows.h"

#include <wininet.h>

#include <string>
#include <vector>

namespace {

using testsupport::ReadDwordValue;
using testsupport::RunModal;

using testsupport::kProductKey;

std::vector<MIB_IFROW> PlatformRows() {
    ULONG size = 0;
    (void)GetIfTable(nullptr, &size, TRUE);
    std::vector<unsigned char> buffer(size + 4 * sizeof(MIB_IFROW));
    size = static_cast<ULONG>(buffer.size());
    EXPECT_EQ(GetIfTable(reinterpret_cast<MIB_IFTABLE*>(buffer.data()), &size, TRUE), DWORD{NO_ERROR});
    const auto* table = reinterpret_cast<const MIB_IFTABLE*>(buffer.data());
    return {table->table, table->table + table->dwNumEntries};
}

std::vector<std::string> Items(CComboBox& combo) {
    std::vector<std::string> items;
    for (int i = 0; i < combo.GetCount(); ++i) {
        items.push_back(combo.GetLBText(i));
    }
    return items;
}

class StatisticsTest : public testsupport::DialogTest {};

TEST_F(StatisticsTest, TheListHoldsTheTableRowsButWanIsatapAndLoopback) {
    const std::vector<MIB_IFROW> rows = PlatformRows();
    ASSERT_FALSE(rows.empty());
    std::vector<std::string> expected;
    std::vector<int32_t> expectedRows;
    // The rows as the shipped rule (tested row by row natively) shows and lists them.
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string item = net::FormatInterfaceInfo(rows[i].bDescr, sizeof rows[i].bDescr, rows[i].dwSpeed);
        if (net::IsListedInterface(item)) {
            expected.push_back(item);
            expectedRows.push_back(static_cast<int32_t>(i));
        }
    }
    CHollowmereDlg dialog;
    std::vector<std::string> items;
    int selection = -2;
    RunModal(dialog, [&] {
        items = Items(dialog.m_comboNetwork);
        selection = dialog.m_comboNetwork.GetCurSel();
    });
    EXPECT_EQ(items, expected);
    ASSERT_EQ(dialog.m_listedInterfaces, expectedRows.size());
    for (size_t k = 0; k < expectedRows.size(); ++k) {
        EXPECT_EQ(dialog.m_nRowOfItem[k], expectedRows[k]) << k;
    }
    // Nothing stored: the interface of the default route is selected, else the busiest one.
    DWORD routed = 0;
    if (GetBestInterface(INADDR_ANY, &routed) == NO_ERROR) {
        const std::vector<MIB_IFROW> all = PlatformRows();
        ASSERT_GE(selection, 0);
        EXPECT_EQ(all[static_cast<size_t>(expectedRows[static_cast<size_t>(selection)])].dwIndex, routed);
    }
    EXPECT_FALSE(testsupport::KeyExists(kProductKey));
}

TEST_F(StatisticsTest, EachTickShowsTheSelectedRowsCountersStatusAndClock) {
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        ASSERT_GT(dialog.m_listedInterfaces, 0u);
        (void)dialog.KillTimer(kStatisticsTimer);
        const int32_t seconds = dialog.m_nDurSeconds;
        const auto row = static_cast<size_t>(dialog.m_nRowOfItem[dialog.m_nNetwork]);
        const MIB_IFROW before = PlatformRows()[row];
        (void)dialog.UpdateStatistics();
        const MIB_IFROW after = PlatformRows()[row];
        const unsigned long long sent = std::stoull(dialog.m_strBytesSent);
        const unsigned long long received = std::stoull(dialog.m_strBytesReceived);
        EXPECT_GE(sent, before.dwOutOctets);
        EXPECT_LE(sent, after.dwOutOctets);
        EXPECT_GE(received, before.dwInOctets);
        EXPECT_LE(received, after.dwInOctets);
        EXPECT_EQ(dialog.m_strBytesSent, net::FormatOctets(static_cast<uint32_t>(sent)));
        EXPECT_EQ(dialog.GetDlgItem(IDC_BYTES_SENT)->GetWindowText(), dialog.m_strBytesSent);
        EXPECT_EQ(dialog.GetDlgItem(IDC_BYTES_RECEIVED)->GetWindowText(), dialog.m_strBytesReceived);

        DWORD flags = 0;
        const bool connected = InternetGetConnectedState(&flags, 0) != FALSE;
        EXPECT_EQ(dialog.m_strStatus, connected ? " Connected" : "N/A");
        if (connected) {
            EXPECT_EQ(dialog.m_strType, net::ConnectionKindText(flags));
        }
        EXPECT_EQ(dialog.GetDlgItem(IDC_STATUS)->GetWindowText(), dialog.m_strStatus);

        EXPECT_EQ(dialog.m_nDurSeconds, seconds + 1);
        (void)dialog.UpdateStatistics();
        EXPECT_EQ(dialog.m_nDurSeconds, seconds + 2);
        EXPECT_EQ(dialog.GetDlgItem(IDC_DURATION)->GetWindowText(), dialog.m_strDuration);
        EXPECT_EQ(dialog.m_strDuration.substr(0, 19), "  0 hrs :  0 mins :");
    });
}

// Timer 1 ticks once a second: two seconds show after no less than about two seconds of the loop.
TEST_F(StatisticsTest, TheDurationClockRunsOnTimerOne) {
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        const DWORD start = GetTickCount();
        EXPECT_TRUE(fw::PumpUntil(
            [&] { return dialog.GetDlgItem(IDC_DURATION)->GetWindowText() == "  0 hrs :  0 mins :  2 secs"; }, 3500))
            << dialog.GetDlgItem(IDC_DURATION)->GetWindowText();
        EXPECT_GE(GetTickCount() - start, 1500u) << "the clock ran faster than its timer";
    });
}

// A stored index that names no listed item, an emptied list, a vanished row: nothing outside the table is
// read, and the counters keep their text.
TEST_F(StatisticsTest, AnIndexWithoutARowLeavesTheCountersAlone) {
    const DWORD network = 999;
    testsupport::WriteRawValue(kProductKey, "Network", REG_DWORD, &network, sizeof network);
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        (void)dialog.KillTimer(kStatisticsTimer);
        EXPECT_EQ(dialog.m_nNetwork, 999);
        EXPECT_EQ(dialog.m_comboNetwork.GetCurSel(), CB_ERR);
        (void)dialog.UpdateStatistics();
        EXPECT_EQ(dialog.m_strBytesSent, "");
        EXPECT_EQ(dialog.m_strBytesReceived, "");
        EXPECT_FALSE(dialog.m_strStatus.empty()); // the rest of the tick still ran

        dialog.m_nNetwork = 0;
        (void)dialog.UpdateStatistics();
        ASSERT_FALSE(dialog.m_strBytesSent.empty());
        const std::string shown = dialog.m_strBytesSent;

        // The row of item 0 has gone from the table.
        const int32_t row = dialog.m_nRowOfItem[0];
        dialog.m_nRowOfItem[0] = 100000;
        (void)dialog.UpdateStatistics();
        EXPECT_EQ(dialog.m_strBytesSent, shown);
        dialog.m_nRowOfItem[0] = row;

        // An empty list. (Each tick first takes the controls' texts back into the members, so "unchanged"
        // means the text shown before.)
        const size_t listed = dialog.m_listedInterfaces;
        dialog.m_listedInterfaces = 0;
        dialog.GetDlgItem(IDC_BYTES_SENT)->SetWindowText("before");
        (void)dialog.UpdateStatistics();
        EXPECT_EQ(dialog.m_strBytesSent, "before");
        dialog.m_nNetwork = 5;
        (void)dialog.m_comboNetwork.SetCurSel(0);
        dialog.OnSelChangeNetwork();
        EXPECT_EQ(dialog.m_strBytesSent, "before");
        dialog.m_listedInterfaces = listed;

        // No table at all.
        MIB_IFTABLE* table = dialog.m_pIfTable;
        dialog.m_pIfTable = nullptr;
        (void)dialog.UpdateStatistics();
        EXPECT_EQ(dialog.m_strBytesSent, "before");
        dialog.m_pIfTable = table;
    });
}

TEST_F(StatisticsTest, ANewSelectionIsStoredOnceAndTheSameSelectionWritesNothing) {
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        if (dialog.m_comboNetwork.GetCount() < 2) {
            GTEST_SKIP() << "fewer than two interfaces listed";
        }
        (void)dialog.KillTimer(kStatisticsTimer);
        const MIB_IFROW row = PlatformRows()[static_cast<size_t>(dialog.m_nRowOfItem[1])];
        (void)dialog.m_comboNetwork.SetCurSel(1);
        dialog.OnSelChangeNetwork();
        EXPECT_EQ(dialog.m_nNetwork, 1);
        EXPECT_EQ(ReadDwordValue(kProductKey, "Network"), 1);
        EXPECT_GE(std::stoull(dialog.m_strBytesSent), row.dwOutOctets);

        testsupport::CleanProgramRegistry();
        dialog.OnSelChangeNetwork(); // the same item again
        EXPECT_FALSE(testsupport::KeyExists(kProductKey));
    });
}

// The table buffer is as large as the platform asks for, and grows when interfaces come while it runs.
TEST_F(StatisticsTest, TheTableBufferHasThePlatformsSizeAndGrowsWithIt) {
    ULONG reported = 0;
    ASSERT_EQ(GetIfTable(nullptr, &reported, TRUE), DWORD{ERROR_INSUFFICIENT_BUFFER});
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        EXPECT_EQ(dialog.m_ifTableCapacity, reported);
        // As if the table had been sized when the machine had no interface yet.
        dialog.m_ifTableStorage = std::make_unique<unsigned char[]>(sizeof(DWORD));
        dialog.m_pIfTable = reinterpret_cast<MIB_IFTABLE*>(dialog.m_ifTableStorage.get());
        dialog.m_ifTableCapacity = sizeof(DWORD);
        dialog.RefreshIfTable();
        EXPECT_EQ(dialog.m_ifTableCapacity, reported);
        EXPECT_EQ(dialog.m_pIfTable->dwNumEntries, PlatformRows().size());
    });
}

// What a person types into the settings between a statistics tick, which reads the fields, and the next
// acceleration tick stays: that tick changes only its clock.
TEST_F(StatisticsTest, TypedSettingsSurviveBothTimers) {
    CHollowmereDlg dialog;
    dialog.m_openRawSocket = testsupport::QuietOpener();
    RunModal(dialog, [&] {
        ASSERT_EQ(net::accelerationRunning, 1);
        const HWND edit = dialog.m_editCheckPeriod.m_hWnd;
        (void)SetFocus(edit);
        (void)SendMessageA(edit, EM_SETSEL, 0, -1);
        for (const char key : std::string("345")) {
            const int32_t statisticsTick = dialog.m_nDurSeconds;
            ASSERT_TRUE(fw::PumpUntil([&] { return dialog.m_nDurSeconds != statisticsTick; }, 5000));
            const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
            (void)PostMessageA(edit, WM_KEYDOWN, static_cast<WPARAM>(key), 1 | scan);
            (void)PostMessageA(edit, WM_KEYUP, static_cast<WPARAM>(key), 1 | scan | (3u << 30));
            const int32_t accelerationTick = dialog.m_nAccelSeconds;
            ASSERT_TRUE(fw::PumpUntil([&] { return dialog.m_nAccelSeconds != accelerationTick; }, 5000));
        }
        const int32_t statisticsTick = dialog.m_nDurSeconds;
        ASSERT_TRUE(fw::PumpUntil([&] { return dialog.m_nDurSeconds != statisticsTick; }, 5000));
        EXPECT_EQ(dialog.m_editCheckPeriod.GetWindowText(), "345");
        EXPECT_EQ(dialog.m_strCheckPeriod, "345");
        DWORD caret = 0;
        (void)SendMessageA(edit, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        EXPECT_EQ(caret, 3u);
    });
}

TEST_F(StatisticsTest, TheAccelerationClockAdvancesOnlyWhenTicked) {
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        if (net::accelerationRunning != 0) {
            dialog.OnAccelerate(); // stop, so that timer 2 does not tick meanwhile
        }
        dialog.m_nAccelHours = 0;
        dialog.m_nAccelMinutes = 59;
        dialog.m_nAccelSeconds = 59;
        dialog.TickAccelerationClock();
        EXPECT_EQ(dialog.m_strAccelDuration, "  1 hrs :  0 mins :  0 secs");
        EXPECT_EQ(dialog.GetDlgItem(IDC_ACCEL_DURATION)->GetWindowText(), "  1 hrs :  0 mins :  0 secs");
    });
}

} // namespace
