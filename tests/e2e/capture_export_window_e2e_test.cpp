// End to end: the capture host's window sends the flows of a capture to a collector, chosen as a person
// does, through File > Export flows to collector...; the test is the collector, on a loopback port, and
// reads the IPFIX messages back: every flow of the capture, with the reference packets and octets.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <windows.h>

#include <map>
#include <tuple>

#include "capture/export/ipfix_message.h"
#include "capture/host/host_ids.h"
#include "capture_bytes.h"
#include "capture_host.h"
#include "e2e_harness.h"
#include "ipfix_reader.h"
#include "lookout.h"
#include "loopback.h"

namespace {

using namespace capture_host;
using e2e::HostFolder;
namespace ipfix = capture::ipfix;

constexpr char kIni[] = "[main]\r\nidleseconds=1000000\r\n";
const std::string kCapture = "eth-mixed-http-dns-udp-icmp";

// What a collector keys a record by: addresses, ports or ICMP type and code, protocol.
using ExportedKey = std::tuple<uint64_t, uint64_t, uint64_t, uint64_t, uint64_t>;
using Sums = std::map<ExportedKey, std::pair<uint64_t, uint64_t>>;

// The reference flows of a capture as a collector sees them: an ICMP flow's checksum word is not exported,
// so its flows with one type and code add up.
Sums ReferenceSums(const std::string& name) {
    Sums sums;
    for (const std::string& line : capture_bytes::ReadFlows(name)) {
        unsigned a, b, c, d, e, f, g, h;
        unsigned long long word1, word2, protocol, packets, bytes;
        EXPECT_EQ(std::sscanf(line.c_str(), "%u.%u.%u.%u,%u.%u.%u.%u,%llu,%llu,%llu,%llu,%llu", &a, &b, &c, &d, &e, &f,
                              &g, &h, &word1, &word2, &protocol, &packets, &bytes),
                  13);
        const bool ports = protocol == 6 || protocol == 17 || protocol == 132;
        const ExportedKey key{uint64_t{a} << 24 | b << 16 | c << 8 | d, uint64_t{e} << 24 | f << 16 | g << 8 | h,
                              ports || protocol == 1 ? word1 : 0, ports ? word2 : 0, protocol};
        sums[key].first += packets;
        sums[key].second += bytes;
    }
    return sums;
}

std::string Note(HWND window) {
    return lookout::StatusBarPart(GetDlgItem(window, kStatusLine), 2);
}

TEST(CaptureWindowExport, FileMenuSendsEachCapturesFlowsToTheCollector) {
    testsupport::WinsockSession winsock;
    u_short port = 0;
    const platform::SocketHandle collector = testsupport::BoundUdpSocket(port);
    const std::string destination = "127.0.0.1:" + std::to_string(port);
    HostFolder folder(kIni);
    e2e::Program program("\"" + testsupport::DataPath("pcap/" + kCapture + ".pcap") + "\"", folder.Exe(),
                         folder.Path());
    HWND window = e2e::WaitForWindow(program.Pid(), "", kWindowCaption, 30000);
    ASSERT_NE(window, nullptr);

    // File > Export flows to collector..., as the menu sends it (the menu itself is the Win32 test's).
    PostMessageA(window, WM_COMMAND, kCollectorCommand, 0);
    const e2e::SeenDialog dialog = e2e::WaitForDialog(program.Pid(), window, 15000);
    ASSERT_NE(dialog.hwnd, nullptr);
    EXPECT_EQ(dialog.caption, kCollectorDialogCaption);
    e2e::SetText(dialog.hwnd, kCollectorEdit, destination);
    e2e::PressDialogButton(dialog.hwnd, IDOK);
    const std::string chosen = "The flows of each capture go to " + destination + " as IPFIX";
    EXPECT_TRUE(e2e::WaitUntil([&] { return Note(window) == chosen; }, 10000)) << Note(window);

    e2e::Click(window, kStartButton);
    EXPECT_TRUE(e2e::WaitUntil([&] { return Note(window) == "Flows go to " + destination + " as IPFIX"; }, 10000))
        << Note(window);
    const std::string totals = capture_bytes::ReferenceStatusLine(kCapture);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, kStatusLine) == totals; }, 30000));
    e2e::Click(window, kStopButton); // every flow is still in the list: all are sent now

    // The collector's side: every message read back, until the capture's datagrams are all accounted for.
    const uint64_t datagrams = capture_bytes::ReadTotals(kCapture).at("packetCount");
    ipfix_reader::Reader reader;
    Sums received;
    uint64_t packets = 0;
    uint64_t records = 0;
    uint64_t messages = 0;
    std::string error;
    const DWORD timeout = 200;
    (void)setsockopt(collector.Get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
            char bytes[2048];
            const int size = recv(collector.Get(), bytes, sizeof bytes, 0);
            if (size <= 0) {
                return packets >= datagrams;
            }
            EXPECT_LT(size, 1400);
            ipfix_reader::Message message;
            EXPECT_TRUE(reader.Read(reinterpret_cast<const uint8_t*>(bytes), static_cast<size_t>(size), message, error))
                << error;
            EXPECT_EQ(message.header.sequence, records) << "data records sent before this message";
            ++messages;
            for (const ipfix_reader::Record& r : message.records) {
                const ExportedKey key{r[ipfix::kSourceIPv4Address], r[ipfix::kDestinationIPv4Address],
                                      r.Has(ipfix::kIcmpTypeCodeIPv4) ? r[ipfix::kIcmpTypeCodeIPv4]
                                                                      : r[ipfix::kSourceTransportPort],
                                      r[ipfix::kDestinationTransportPort], r[ipfix::kProtocolIdentifier]};
                received[key].first += r[ipfix::kPacketDeltaCount];
                received[key].second += r[ipfix::kOctetDeltaCount];
                packets += r[ipfix::kPacketDeltaCount];
                ++records;
            }
            return packets >= datagrams;
        },
        30000, 0));
    EXPECT_EQ(packets, datagrams);
    EXPECT_EQ(received, ReferenceSums(kCapture));
    const std::string summary = std::to_string(records) + " flow records sent to " + destination + " in " +
                                std::to_string(messages) + " messages";
    EXPECT_TRUE(e2e::WaitUntil([&] { return Note(window) == summary; }, 10000)) << Note(window);

    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

} // namespace
