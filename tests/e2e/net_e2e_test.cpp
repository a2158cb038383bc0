// End to end: the interface list, the per-second statistics and the acceleration switch of the real
// Brisklane.exe, compared with what the platform itself reports.
#include "e2e_harness.h"
#include "loopback.h"

#include "net/connection_text.h"
#include "net/interface_rows.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <iphlpapi.h>
#include <wininet.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using e2e::Program;
using e2e::RegQuery;
using namespace e2e;

constexpr const char* kAccelerating = "Status: accelerating\nPress to stop acceleration";
constexpr const char* kStopped = "Status: stopped\nPress to start acceleration ";

class Statistics : public MainProgramTest {};

// The items of the interface list, read as a person would by going through them (selecting an item shows
// its text in the list's edit field), then the selection put back. Selecting this way tells the window
// nothing.
std::vector<std::string> ComboItems(HWND dialog, int id) {
    HWND combo = GetDlgItem(dialog, id);
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    std::vector<std::string> items;
    const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        SendMessageA(combo, CB_SETCURSEL, i, 0);
        items.push_back(e2e::Text(dialog, id));
    }
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    return items;
}

// The list a person should see: every interface the platform reports that the program's own rule (tested
// row by row natively) lists, in that rule's words.
std::vector<std::string> ExpectedItems() {
    ULONG size = 0;
    GetIfTable(nullptr, &size, TRUE);
    std::vector<unsigned char> buffer(size + 8 * sizeof(MIB_IFROW));
    size = static_cast<ULONG>(buffer.size());
    std::vector<std::string> items;
    if (GetIfTable(reinterpret_cast<MIB_IFTABLE*>(buffer.data()), &size, TRUE) != NO_ERROR) {
        return items;
    }
    const auto* table = reinterpret_cast<const MIB_IFTABLE*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_IFROW& row = table->table[i];
        const std::string item = net::FormatInterfaceInfo(row.bDescr, sizeof row.bDescr, row.dwSpeed);
        if (net::IsListedInterface(item)) {
            items.push_back(item);
        }
    }
    return items;
}

// Bytes sent and received by the loopback interface, as the Linux kernel counts them.
struct LoopbackCounters {
    uint64_t received = 0;
    uint64_t sent = 0;
    bool found = false;
};
LoopbackCounters ReadLoopback() {
    LoopbackCounters counters;
    std::ifstream in("Z:\\proc\\net\\dev");
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        std::string name = line.substr(0, colon);
        name.erase(0, name.find_first_not_of(' '));
        if (name != "lo") {
            continue;
        }
        std::istringstream fields(line.substr(colon + 1));
        uint64_t value[9] = {};
        for (uint64_t& v : value) {
            fields >> v;
        }
        counters.received = value[0];
        counters.sent = value[8];
        counters.found = true;
    }
    return counters;
}

// The position of the item that shows interface `name`, or -1.
int ItemNaming(const std::vector<std::string>& items, const std::string& name) {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].rfind(" " + name + " ", 0) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The counter a label shows: " %u ".
bool ShownCounter(HWND dialog, int id, uint32_t& value) {
    const std::string text = e2e::Text(dialog, id);
    if (text.size() < 3 || text.front() != ' ' || text.back() != ' ') {
        return false;
    }
    value = static_cast<uint32_t>(std::stoull(text.substr(1, text.size() - 2)));
    return " " + std::to_string(value) + " " == text;
}

// A first start shows the interface that carries the machine's traffic: the one of the default route.
TEST_F(Statistics, TheListHoldsThePlatformsInterfacesAndAFirstStartShowsTheDefaultRoutes) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    const std::vector<std::string> expected = ExpectedItems();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ComboItems(dialog, IDC_NETWORK), expected);
    const std::string routed = DefaultRouteInterface();
    ASSERT_FALSE(routed.empty()) << "this machine has no default route";
    const int item = ItemNaming(expected, routed);
    ASSERT_GE(item, 0) << routed << " is not listed";
    EXPECT_EQ(ComboSelection(dialog, IDC_NETWORK), item);
    EXPECT_EQ(e2e::Text(dialog, IDC_NETWORK), expected[static_cast<size_t>(item)]);
    EXPECT_FALSE(e2e::RegKeyExists(kProductKey)); // nothing is stored until a person chooses
}

// With the kernel's "lo" chosen, its counters, shown modulo 2^32, follow the kernel's within a tick after
// traffic that this test makes.
TEST_F(Statistics, TheCountersFollowTheLoopbackInterface) {
    const int loopback = ItemNaming(ExpectedItems(), "lo");
    ASSERT_GE(loopback, 0);
    ASSERT_TRUE(
        Reg(std::string("add ") + kProductKey + " /v Network /t REG_DWORD /d " + std::to_string(loopback) + " /f"));
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(e2e::Text(dialog, IDC_NETWORK).rfind(" lo ", 0), 0u) << e2e::Text(dialog, IDC_NETWORK);
    const LoopbackCounters start = ReadLoopback();
    ASSERT_TRUE(start.found);
    {
        // 200 datagrams of 1,000 bytes to a socket of our own.
        const testsupport::WinsockSession winsock;
        u_short port = 0;
        const platform::SocketHandle receiver = testsupport::BoundUdpSocket(port);
        testsupport::SendUdp(port, 1000, 200);
    }
    const LoopbackCounters after = ReadLoopback();
    ASSERT_GE(after.sent - start.sent, 200u * 1000u);

    // Within a tick or two the window shows a value that the kernel counted between `after` and now.
    uint32_t sent = 0;
    uint32_t received = 0;
    LoopbackCounters now;
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
            if (!ShownCounter(dialog, IDC_BYTES_SENT, sent) || !ShownCounter(dialog, IDC_BYTES_RECEIVED, received)) {
                return false;
            }
            now = ReadLoopback();
            const uint32_t base = static_cast<uint32_t>(after.sent);
            return static_cast<uint32_t>(sent - base) <= static_cast<uint32_t>(now.sent - after.sent) &&
                   static_cast<uint32_t>(received - static_cast<uint32_t>(after.received)) <=
                       static_cast<uint32_t>(now.received - after.received);
        },
        3000, 100))
        << "shown " << sent << "/" << received << ", kernel " << after.sent << ".." << now.sent << " / "
        << after.received << ".." << now.received;
}

TEST_F(Statistics, ANewInterfaceIsStoredOnceAndTheSameOneWritesNothing) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    HWND combo = GetDlgItem(dialog, IDC_NETWORK);
    if (SendMessageA(combo, CB_GETCOUNT, 0, 0) < 3) {
        GTEST_SKIP() << "fewer than three interfaces listed";
    }
    // What the list does when a person picks an item: select it and tell the window.
    auto pick = [&](int item) {
        SendMessageA(combo, CB_SETCURSEL, item, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_NETWORK, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    };
    pick(1);
    EXPECT_EQ(RegQuery(kProductKey, "Network").data, "0x1");
    ASSERT_TRUE(Reg(std::string("delete ") + kProductKey + " /f"));
    pick(1); // the same item: neither the pick nor the tick after it writes anything
    const int pickedAt = e2e::ShownSeconds(dialog);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ShownSeconds(dialog) > pickedAt; }, 3000));
    EXPECT_FALSE(e2e::RegKeyExists(kProductKey));
    pick(2);
    EXPECT_EQ(RegQuery(kProductKey, "Network").data, "0x2");
    EXPECT_EQ(RegQuery(kProductKey, "Network").type, "REG_DWORD");
}

TEST_F(Statistics, AStoredIndexWithoutAnInterfaceShowsNoCountersAndTheProgramRuns) {
    ASSERT_TRUE(Reg(std::string("add ") + kProductKey + " /v Network /t REG_DWORD /d 999 /f"));
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ComboSelection(dialog, IDC_NETWORK), -1);
    // The rest of each tick runs: the status comes; the counters stay empty.
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return e2e::Text(dialog, IDC_STATUS) == " Connected" || e2e::Text(dialog, IDC_STATUS) == "N/A"; }, 3000));
    // The next tick runs too, and still shows no counters.
    const int statusAt = e2e::ShownSeconds(dialog);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ShownSeconds(dialog) > statusAt; }, 3000));
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(e2e::Text(dialog, IDC_BYTES_SENT), "");
    EXPECT_EQ(e2e::Text(dialog, IDC_BYTES_RECEIVED), "");
}

TEST_F(Statistics, StatusAndKindsOfConnectionAreThePlatformsAnswer) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    DWORD flags = 0;
    const bool connected = InternetGetConnectedState(&flags, 0) != FALSE;
    // The platform's answer, in the words of the program's own rule (tested row by row natively).
    const std::string kinds = net::ConnectionKindText(flags);
    const std::string status = connected ? " Connected" : "N/A";
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(dialog, IDC_STATUS) == status; }, 3000))
        << e2e::Text(dialog, IDC_STATUS);
    if (connected) {
        EXPECT_EQ(e2e::Text(dialog, IDC_TYPE), kinds);
    }
}

class Acceleration : public Statistics {};

UINT CheckState(HWND dialog) {
    return static_cast<UINT>(SendMessageA(GetDlgItem(dialog, IDC_ACCELERATE), BM_GETCHECK, 0, 0));
}

// Here (as on Windows without administrator rights) the raw socket is refused: the switch stays stopped, the
// footer says why with the platform's code, the clock stands still, and each press tries again.
TEST_F(Acceleration, ARefusedRawSocketLeavesTheSwitchStoppedAndEachPressTriesAgain) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    const std::string refused = "Acceleration needs administrator rights: raw socket refused (error 10043)";
    const std::string stillClock = " 0 hrs :  0 mins :  0 secs";
    for (int press = 0; press < 3; ++press) {
        if (press > 0) {
            e2e::Click(dialog, IDC_ACCELERATE);
        }
        EXPECT_EQ(e2e::Text(dialog, IDC_ACCELERATE), kStopped) << press;
        EXPECT_EQ(CheckState(dialog), UINT{BST_UNCHECKED}) << press;
        EXPECT_EQ(e2e::Text(dialog, IDC_FOOTER), refused) << press;
    }
    // Three seconds of statistics pass; the acceleration clock has not moved.
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ShownSeconds(dialog) >= 3; }, 5000));
    EXPECT_EQ(e2e::Text(dialog, IDC_ACCEL_DURATION), stillClock);
    EXPECT_NE(e2e::Text(dialog, IDC_ACCELERATE), kAccelerating);
    EXPECT_TRUE(program.Running());
}

} // namespace
