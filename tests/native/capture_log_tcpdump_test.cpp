// The log's hex dumps against an independent reading of the same captures: the bytes that tcpdump prints
// for every IPv4 datagram must be the bytes the log dumps (the two layouts differ, the bytes may not).
#include "capture/log/log_format.h"
#include "packet/pcap_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kLinkHeader = 14;

bool HaveTcpdump() {
    return std::system("command -v tcpdump >/dev/null 2>&1") == 0;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Appends the bytes of hex tokens ("4500", "0a", ...) from a stream; stops at the first other token.
void ReadHexTokens(std::istringstream& tokens, Bytes& bytes) {
    std::string token;
    while (tokens >> token) {
        if (token.size() % 2 != 0) {
            return;
        }
        for (std::size_t i = 0; i < token.size(); i += 2) {
            const int high = HexValue(token[i]);
            const int low = HexValue(token[i + 1]);
            if (high < 0 || low < 0) {
                return;
            }
            bytes.push_back(static_cast<uint8_t>(high << 4 | low));
        }
    }
}

// The bytes "tcpdump -nn -x" prints for each frame, frame by frame.
std::vector<Bytes> TcpdumpFrames(const std::string& capture) {
    std::vector<Bytes> frames;
    const std::string command = "tcpdump -nn -x -r '" + capture + "' 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return frames;
    }
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        const std::string text = line;
        if (text.rfind("\t0x", 0) != 0) {
            frames.emplace_back(); // a summary line starts the next frame
            continue;
        }
        std::istringstream tokens(text.substr(text.find(':') + 1));
        ReadHexTokens(tokens, frames.back());
    }
    pclose(pipe);
    return frames;
}

// The bytes of a dump of the log (offset column dropped, text column and line ends ignored).
Bytes DumpedBytes(const std::string& dump) {
    Bytes bytes;
    std::istringstream lines(dump);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream tokens(line.substr(9, 16 * 3)); // the hex cells, never the text column
        ReadHexTokens(tokens, bytes);
    }
    return bytes;
}

class LogAgainstTcpdump : public ::testing::TestWithParam<const char*> {};

TEST_P(LogAgainstTcpdump, EveryDumpedDatagramHasTcpdumpsBytes) {
    if (!HaveTcpdump()) {
        GTEST_SKIP() << "tcpdump is not installed: the comparison with an independent reader is skipped";
    }
    const std::string capture = std::string(BRISKLANE_DATA_DIR) + "/pcap/" + GetParam();
    const std::vector<Bytes> expected = TcpdumpFrames(capture);

    auto source = packet::FileByteSource::Open(capture.c_str());
    ASSERT_NE(source, nullptr) << capture;
    packet::PcapReader reader(std::move(source));
    ASSERT_EQ(reader.Open(), packet::PcapStatus::Ok);
    packet::PcapRecord record;
    std::size_t frame = 0;
    std::size_t compared = 0;
    while (reader.Next(record) == packet::PcapStatus::Ok) {
        ASSERT_LT(frame, expected.size());
        if (record.capturedLength >= kLinkHeader + 24 && record.data[kLinkHeader] == 0x45) {
            const uint8_t* datagram = record.data + kLinkHeader;
            const uint32_t length = static_cast<uint32_t>(datagram[2] << 8 | datagram[3]);
            const uint32_t captured = record.capturedLength - kLinkHeader;
            // The datagram alone, exactly sized, so the sanitizer sees any read beyond the captured bytes.
            const Bytes exact(datagram, datagram + captured);
            std::string hex;
            std::string hexText;
            capture::AppendHexDump(hex, exact.data(), std::min(length, captured));
            capture::AppendHexTextDump(hexText, exact.data(), std::min(length, captured));
            // tcpdump prints every captured byte after the link header, link padding included, but no more
            // than the file's snap length allows (one record here stores more); the log stops at the IP
            // total length.
            const Bytes& printed = expected[frame];
            const uint32_t visible = std::min(captured, reader.Header().snapLength - kLinkHeader);
            ASSERT_EQ(printed.size(), visible) << "frame " << frame + 1;
            const std::size_t common = std::min(length, visible);
            const Bytes datagramBytes(printed.begin(), printed.begin() + static_cast<std::ptrdiff_t>(common));
            for (const std::string* dump : {&hex, &hexText}) {
                Bytes dumped = DumpedBytes(*dump);
                EXPECT_EQ(dumped.size(), std::min(length, captured)) << "frame " << frame + 1;
                dumped.resize(common);
                EXPECT_EQ(dumped, datagramBytes) << "frame " << frame + 1;
            }
            ++compared;
        }
        ++frame;
    }
    EXPECT_EQ(frame, expected.size());
    EXPECT_GT(compared, 0u);
}

INSTANTIATE_TEST_SUITE_P(Captures, LogAgainstTcpdump,
                         ::testing::Values("eth-snaplen96-http-dns-udp-icmp.pcap", "eth-icmp-echo.pcap",
                                           "eth-tcp-syn-scan.pcap", "eth-udp-afs-rx-icmp.pcap",
                                           "eth-pim-ipv4-ipv6-mix.pcap"));

} // namespace
