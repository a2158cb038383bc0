// End to end against the reference tables: every real capture, in its classic form and converted to pcapng,
// and Token Ring copies of two of them, replayed by the capture host's console mode through our packet.dll
// under Wine. The flows (key, packets, bytes), the totals and the account of every frame must equal the
// independently computed ones, and those of the generated large capture the figures its generator booked.
// Also the console's other duties: the usage, its time limit, and the packets it saves.
#include <gtest/gtest.h>

#include <cstdio>

#include "capture_host.h"
#include "pcapng_bytes.h"

namespace {

using e2e::ConsoleRun;
using e2e::HostFolder;

// No row may go idle while a file replays.
constexpr char kIni[] = "[main]\r\nidleseconds=1000000\r\n";
constexpr DWORD kRunTimeoutMs = 120000;

TEST(CaptureOracle, EveryRealCaptureGivesItsReferenceFlowsAndTotals) {
    HostFolder folder(kIni);
    const std::vector<std::string> captures = capture_bytes::SharedCaptures();
    ASSERT_GE(captures.size(), 17u);
    for (const std::string& name : captures) {
        SCOPED_TRACE(name);
        const ConsoleRun run = e2e::RunHost(
            folder, "--console \"" + testsupport::DataPath("pcap/" + name + ".pcap") + "\"", kRunTimeoutMs);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.out, e2e::ExpectedConsoleOutput(name));
    }
}

TEST(CaptureOracle, EverySharedCaptureConvertedToPcapngGivesTheReferenceOfItsClassicForm) {
    HostFolder folder(kIni);
    for (const std::string& name : capture_bytes::SharedCaptures()) {
        SCOPED_TRACE(name);
        const ConsoleRun run = e2e::RunHost(folder, "--console \"" + e2e::PcapngCorpusPath(name) + "\"", kRunTimeoutMs);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.out, e2e::ExpectedConsoleOutput(name));
    }
}

TEST(CaptureOracle, PacketsOfAnInterfaceOfAnotherLinkTypeAreLeftOutAndCounted) {
    HostFolder folder(kIni);
    const capture_bytes::Bytes frame =
        capture_bytes::Frame(capture_bytes::Datagram(1, 84, 0x0a000001, 0x0a000002, 0x0800, 0x1234));
    pcapng_bytes::Capture capture;
    capture.Section()
        .Interface({.linkType = 1})
        .Interface({.linkType = 113}) // Linux cooked: the same bytes would be read at the wrong offset
        .Enhanced(0, 1, frame)
        .Enhanced(1, 2, frame)
        .Enhanced(0, 3, frame);
    const std::string path = folder.Write("two-interfaces.pcapng", capture.bytes);
    const ConsoleRun run = e2e::RunHost(folder, "--console \"" + path + "\"", kRunTimeoutMs);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out, "src,dst,sport,dport,proto,packets,bytes\n10.0.0.1,10.0.0.2,2048,4660,1,2,168\n"
                       "All packets: 2     Total bytes: 168\n"
                       "Frames: 3 read, 2 counted, 1 skipped (0 not IPv4 at the link offset, 0 too short, 0 ignored "
                       "(header not below length), 0 filtered out, 1 other link type)\nDropped: 0\n");
    EXPECT_NE(run.err.find("is from an interface of link type 113, not the capture's 1; such packets are left out and "
                           "counted"),
              std::string::npos)
        << run.err;
}

TEST(CaptureOracle, TheGeneratedLargeCaptureGivesTheFiguresOfItsGenerator) {
    HostFolder folder(kIni);
    const std::string name = capture_bytes::LargeCaptureName();
    const ConsoleRun run =
        e2e::RunHost(folder, "--console \"" + testsupport::DataPath("pcap/" + name + ".pcap") + "\"", kRunTimeoutMs);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out, e2e::ExpectedConsoleOutput(name));
}

TEST(CaptureOracle, TokenRingCopiesGiveTheTablesOfTheirEthernetOriginals) {
    HostFolder folder(kIni);
    for (const char* name : {"eth-snaplen96-http-dns-udp-icmp", "eth-ipv4-options-tcp-udp-icmp"}) {
        SCOPED_TRACE(name);
        const std::string original = capture_bytes::ReadText(capture_bytes::DataFile(std::string(name) + ".pcap"));
        const std::string path =
            folder.Write(std::string(name) + "-token-ring.pcap",
                         capture_bytes::AsTokenRing(capture_bytes::Bytes(original.begin(), original.end())));
        const ConsoleRun run = e2e::RunHost(folder, "--console \"" + path + "\"", kRunTimeoutMs);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.out, e2e::ExpectedConsoleOutput(name));
    }
}

TEST(CaptureOracle, AFileThatIsNoCaptureIsReportedAndNothingRuns) {
    HostFolder folder(kIni);
    const std::string path = folder.Write("notes.pcap", capture_bytes::Bytes(100, 'x'));
    const ConsoleRun run = e2e::RunHost(folder, "--console \"" + path + "\"", kRunTimeoutMs);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Error: Unable to open the driver, Error Code : 11\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("not a libpcap or pcapng capture file"), std::string::npos) << run.err;
}

TEST(CaptureOracle, WrongCommandLinesShowTheUsage) {
    HostFolder folder(kIni);
    for (const char* arguments :
         {"--console", "--console a b", "--seconds 5 x", "--console x --seconds 0", "--bogus", "--timing x",
          "x --pcap-out", "--console x --pcap-out", "--start", "--console x --start"}) {
        SCOPED_TRACE(arguments);
        const ConsoleRun run = e2e::RunHost(folder, arguments, kRunTimeoutMs);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_NE(run.err.find("usage: BrisklaneCapture"), std::string::npos) << run.err;
    }
}

TEST(CaptureOracle, ACaptureEndsWithItsDataOrItsSecondsWhicheverComesFirst) {
    HostFolder folder(kIni);
    DWORD start = GetTickCount();
    ConsoleRun run = e2e::RunHost(
        folder, "--console \"" + testsupport::DataPath("pcap/eth-icmp-echo.pcap") + "\" --seconds 60", kRunTimeoutMs);
    ASSERT_TRUE(run.finished);
    EXPECT_LT(GetTickCount() - start, 30000u) << "the file's end ends the capture";
    EXPECT_EQ(run.out, e2e::ExpectedConsoleOutput("eth-icmp-echo"));

    // Paced, the large capture lasts longer than the time given.
    SetEnvironmentVariableA("BRISKLANE_REPLAY", "paced");
    start = GetTickCount();
    const std::string large = capture_bytes::LargeCaptureName();
    run = e2e::RunHost(folder, "--console \"" + testsupport::DataPath("pcap/" + large + ".pcap") + "\" --seconds 2",
                       kRunTimeoutMs);
    SetEnvironmentVariableA("BRISKLANE_REPLAY", nullptr);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_GE(GetTickCount() - start, 2000u);
    const size_t status = run.out.rfind("All packets: ");
    ASSERT_NE(status, std::string::npos) << run.out;
    const unsigned long packets = std::stoul(run.out.substr(status + 13));
    EXPECT_GT(packets, 0u);
    EXPECT_LT(packets, capture_bytes::ReadTotals(large).at("packetCount")) << "cut short by --seconds";
    unsigned long long read = 0;
    unsigned long counted = 0;
    unsigned long long skipped = 0;
    ASSERT_EQ(std::sscanf(run.out.c_str() + run.out.find("Frames: "), "Frames: %llu read, %lu counted, %llu skipped",
                          &read, &counted, &skipped),
              3)
        << run.out;
    EXPECT_EQ(counted, packets);
    EXPECT_EQ(read, counted + skipped) << "every frame read is accounted for, even when the capture is cut short";
}

TEST(CaptureOracle, SavedPacketsAreTheRecordsAndTheLinkTypeOfTheCapture) {
    HostFolder folder(kIni);
    const std::string original = capture_bytes::ReadText(capture_bytes::DataFile("eth-ipv4-options-tcp-udp-icmp.pcap"));
    const std::string tokenRing = folder.Write(
        "token-ring.pcap", capture_bytes::AsTokenRing(capture_bytes::Bytes(original.begin(), original.end())));
    const struct {
        std::string capture;
        uint32_t linkType;
    } cases[] = {
        {testsupport::DataPath("pcap/eth-mixed-http-dns-udp-icmp.pcap"), 1}, // several receive buffers
        {testsupport::DataPath("pcap/eth-pptp-gre-tcp-bigendian.pcap"), 1},  // stored in the other byte order
        {testsupport::DataPath("pcap/eth-pim-ipv4-ipv6-mix.pcap"), 1},       // records beyond the snap length
        {e2e::PcapngCorpusPath("eth-pim-ipv4-ipv6-mix"), 1},                 // pcapng is saved as classic pcap
        {tokenRing, 6},
        {testsupport::DataPath("pcap/sll-tcp-resp-benchmark.pcap"), 1}, // Linux cooked: the adapter shows 802.3
    };
    const std::string saved = folder.File("saved.pcap");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capture);
        const ConsoleRun run =
            e2e::RunHost(folder, "--console \"" + c.capture + "\" --pcap-out \"" + saved + "\"", kRunTimeoutMs);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(e2e::CompareSavedPackets(c.capture, saved, c.linkType), "");
    }
}

TEST(CaptureOracle, PacketsThatCannotBeSavedAreReported) {
    HostFolder folder(kIni);
    const std::string original = capture_bytes::ReadText(capture_bytes::DataFile("eth-icmp-echo.pcap"));
    const std::string capture = folder.Write("capture.pcap", capture_bytes::Bytes(original.begin(), original.end()));
    const struct {
        const char* name;
        std::string target;
        DWORD exitCode;
        const char* message;
        bool flowsPrinted;
    } cases[] = {
        {"no such folder", "Z:\\nonexistent\\folder\\saved.pcap", 1,
         "Error: The packets cannot be saved: cannot create", false},
        {"the capture itself", capture, 1, "is the capture being read", false},
        {"a full disk", "Z:\\dev\\full", 3, "Error: The packets could not all be saved: ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ConsoleRun run =
            e2e::RunHost(folder, "--console \"" + capture + "\" --pcap-out \"" + c.target + "\"", kRunTimeoutMs);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, c.flowsPrinted ? e2e::ExpectedConsoleOutput("eth-icmp-echo") : "");
    }
    EXPECT_EQ(capture_bytes::ReadText(capture), original) << "the capture is left as it was";
}

} // namespace
