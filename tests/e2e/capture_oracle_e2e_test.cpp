// End to end against the reference tables: every shared capture, and Token Ring copies of two of them,
// replayed by the capture host's console mode through our packet.dll under Wine. The flows (key, packets,
// bytes) and the totals must equal the independently computed ones.
#include <gtest/gtest.h>

#include "capture_e2e_support.h"

namespace {

using capture_e2e::ConsoleRun;
using capture_e2e::HostFolder;

// No row may go idle while a file replays.
constexpr char kIni[] = "[main]\r\nidleseconds=1000000\r\n";
constexpr DWORD kRunTimeoutMs = 120000;

TEST(CaptureOracle, EverySharedCaptureGivesItsReferenceFlowsAndTotals) {
    HostFolder folder(kIni);
    const std::vector<std::string> captures = traffic_test::SharedCaptures();
    ASSERT_GE(captures.size(), 18u);
    for (const std::string& name : captures) {
        SCOPED_TRACE(name);
        const ConsoleRun run = capture_e2e::RunHost(
            folder, "--console \"" + capture_e2e::DataPath("pcap/" + name + ".pcap") + "\"", kRunTimeoutMs);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.out, capture_e2e::ExpectedConsoleOutput(name));
    }
}

TEST(CaptureOracle, TokenRingCopiesGiveTheTablesOfTheirEthernetOriginals) {
    HostFolder folder(kIni);
    for (const char* name : {"eth-snaplen96-http-dns-udp-icmp", "eth-ipv4-options-tcp-udp-icmp"}) {
        SCOPED_TRACE(name);
        const std::string original = traffic_test::ReadText(traffic_test::DataFile(std::string(name) + ".pcap"));
        const std::string path =
            folder.Write(std::string(name) + "-token-ring.pcap",
                         traffic_test::AsTokenRing(traffic_test::Bytes(original.begin(), original.end())));
        const ConsoleRun run = capture_e2e::RunHost(folder, "--console \"" + path + "\"", kRunTimeoutMs);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.out, capture_e2e::ExpectedConsoleOutput(name));
    }
}

TEST(CaptureOracle, AFileThatIsNoCaptureIsReportedAndNothingRuns) {
    HostFolder folder(kIni);
    const std::string path = folder.Write("notes.pcap", traffic_test::Bytes(100, 'x'));
    const ConsoleRun run = capture_e2e::RunHost(folder, "--console \"" + path + "\"", kRunTimeoutMs);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Error: Unable to open the driver, Error Code : 11\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("not a libpcap capture file"), std::string::npos) << run.err;
}

TEST(CaptureOracle, WrongCommandLinesShowTheUsage) {
    HostFolder folder(kIni);
    for (const char* arguments :
         {"--console", "--console a b", "--seconds 5 x", "--console x --seconds 0", "--bogus", "--timing x"}) {
        SCOPED_TRACE(arguments);
        const ConsoleRun run = capture_e2e::RunHost(folder, arguments, kRunTimeoutMs);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_NE(run.err.find("usage: BrisklaneCapture"), std::string::npos) << run.err;
    }
}

TEST(CaptureOracle, TimedCaptureStopsAfterItsSeconds) {
    HostFolder folder(kIni);
    const DWORD start = GetTickCount();
    const ConsoleRun run = capture_e2e::RunHost(
        folder, "--console \"" + capture_e2e::DataPath("pcap/eth-icmp-echo.pcap") + "\" --seconds 3", kRunTimeoutMs);
    ASSERT_TRUE(run.finished);
    EXPECT_GE(GetTickCount() - start, 3000u);
    EXPECT_EQ(run.out, capture_e2e::ExpectedConsoleOutput("eth-icmp-echo"));
}

} // namespace
