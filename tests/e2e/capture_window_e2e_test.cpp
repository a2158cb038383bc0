// End to end: the capture host's window under Xvfb + Wine, driven from outside as a person would. It
// replays a capture, shows the rows and the status line, obeys a filter, stops cleanly, and keeps its
// place and column widths in its INI file.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "capture/host/host_ids.h"
#include "capture_e2e_support.h"
#include "e2e_harness.h"
#include "lookout.h"

namespace {

using namespace capture_host;
using capture_e2e::HostFolder;

constexpr char kIni[] = "[main]\r\nidleseconds=1000000\r\n";
const std::string kCapture = "eth-mixed-http-dns-udp-icmp";

HWND FindHostWindow(const e2e::Program& program) {
    HWND found = nullptr;
    e2e::WaitUntil(
        [&] {
            for (HWND window : lookout::TopLevelWindows(program.Pid(), "", kWindowCaption)) {
                if (IsWindowVisible(window)) {
                    found = window;
                    return true;
                }
            }
            return !program.Running();
        },
        30000, 100);
    return found;
}

int ListRows(HWND window) {
    HWND list = GetDlgItem(GetDlgItem(window, kListPane), kTrafficList);
    return list == nullptr ? -1 : static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

bool Enabled(HWND window, int id) {
    return IsWindowEnabled(GetDlgItem(window, id)) != FALSE;
}

// The reference totals of a capture without one protocol, from its flows: packets, and bytes less the
// fixed header of each datagram.
std::string StatusWithout(const std::string& name, int protocol) {
    uint64_t packets = 0;
    uint64_t bytes = 0;
    for (const std::string& line : traffic_test::ReadFlows(name)) {
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
            fields.push_back(line.substr(start, comma - start));
        fields.push_back(line.substr(start));
        const int flowProtocol = std::stoi(fields[4]);
        if (flowProtocol == protocol)
            continue;
        const uint64_t flowPackets = std::stoull(fields[5]);
        const uint64_t header = flowProtocol == 6                           ? 40
                                : (flowProtocol == 17 || flowProtocol == 2) ? 28
                                : flowProtocol == 4                         ? 20
                                                                            : 0;
        packets += flowPackets;
        bytes += std::stoull(fields[6]) - header * flowPackets;
    }
    return traffic_test::StatusLine(packets, bytes);
}

TEST(CaptureWindow, ReplaysACaptureShowsItsRowsAndTotalsAndStopsCleanly) {
    HostFolder folder(kIni);
    const std::string capture = capture_e2e::DataPath("pcap/" + kCapture + ".pcap");
    e2e::Program program("\"" + capture + "\"", folder.Exe(), folder.Path());
    ASSERT_TRUE(program.Started());
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(e2e::Text(window, kAdapterBox), capture) << "the adapter given on the command line";
    EXPECT_EQ(e2e::Text(window, kStatusLine), "All packets: 0     Total bytes: 0");
    EXPECT_FALSE(Enabled(window, kStopButton));

    e2e::Click(window, kStartButton);
    const std::string expected = traffic_test::ReferenceStatusLine(kCapture);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, kStatusLine) == expected; }, 30000))
        << e2e::Text(window, kStatusLine);
    EXPECT_TRUE(e2e::WaitUntil([&] { return ListRows(window) == 57; }, 10000)) << ListRows(window);
    EXPECT_TRUE(Enabled(window, kStopButton));
    EXPECT_FALSE(Enabled(window, kStartButton));
    EXPECT_FALSE(Enabled(window, kHostNames)) << "name lookups are set when capture starts";
    EXPECT_TRUE(Enabled(window, kFilterTcp)) << "filters apply at once";

    e2e::Click(window, kStopButton);
    EXPECT_TRUE(e2e::WaitUntil([&] { return Enabled(window, kStartButton); }, 10000));
    EXPECT_EQ(ListRows(window), 0) << "stopping deletes the rows";
    EXPECT_EQ(e2e::Text(window, kStatusLine), expected) << "the status line keeps the last totals";

    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
    const std::string ini = folder.Ini();
    EXPECT_NE(ini.find("srcaddr=120"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("left=-1"), std::string::npos) << "the window's place is kept: " << ini;
    EXPECT_NE(ini.find("idleseconds=1000000"), std::string::npos);
}

TEST(CaptureWindow, IgnoringTcpLeavesOnlyTheOtherProtocols) {
    HostFolder folder(kIni);
    e2e::Program program("\"" + capture_e2e::DataPath("pcap/" + kCapture + ".pcap") + "\"", folder.Exe(),
                         folder.Path());
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    e2e::Click(window, kFilterTcp);
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return SendMessageA(GetDlgItem(window, kFilterTcp), BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));
    e2e::Click(window, kStartButton);
    const std::string expected = StatusWithout(kCapture, 6);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, kStatusLine) == expected; }, 30000))
        << e2e::Text(window, kStatusLine) << " expected " << expected;
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit(15000));
    EXPECT_NE(folder.Ini().find("filtertcp=1"), std::string::npos);
}

TEST(CaptureWindow, ClosingDuringAPacedReplayStopsTheCaptureFirst) {
    HostFolder folder(kIni);
    SetEnvironmentVariableA("BRISKLANE_REPLAY", "paced");
    e2e::Program program("\"" + capture_e2e::DataPath("pcap/eth-tcp-bulk-large.pcap") + "\"", folder.Exe(),
                         folder.Path());
    SetEnvironmentVariableA("BRISKLANE_REPLAY", nullptr);
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    e2e::Click(window, kStartButton);
    EXPECT_TRUE(e2e::WaitUntil([&] { return ListRows(window) > 0; }, 30000));
    EXPECT_NE(e2e::Text(window, kStatusLine), "All packets: 0     Total bytes: 0");
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code)) << "closing waits for the capture thread, within its time-out";
    EXPECT_EQ(code, 0u);
}

} // namespace
