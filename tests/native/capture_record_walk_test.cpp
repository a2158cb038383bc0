// The walk over the driver's receive buffer: link header lengths, the 0x45 test, alignment, and records
// that are short or run past the bytes received.
#include "capture/engine/record_walk.h"

#include <gtest/gtest.h>

#include "capture_bytes.h"

namespace {

using capture_bytes::Bytes;
using capture_bytes::Datagram;
using capture_bytes::DriverBuffer;
using capture_bytes::Frame;

struct Seen {
    std::vector<uint16_t> totalLengths;
    std::vector<uint32_t> captured;
};

Seen Walk(const Bytes& buffer, uint32_t received, uint32_t linkHeaderLength, capture::RecordWalk* walk = nullptr) {
    // A copy of exactly the received bytes: the sanitizers report any read beyond them.
    const Bytes exact(buffer.begin(), buffer.begin() + received);
    Seen seen;
    const capture::RecordWalk result =
        capture::WalkCaptureRecords(exact.data(), received, linkHeaderLength,
                                    [&](const uint8_t* ip, uint32_t bytes, const capture::CaptureRecord&) {
                                        seen.totalLengths.push_back(static_cast<uint16_t>(ip[2] << 8 | ip[3]));
                                        seen.captured.push_back(bytes);
                                    });
    if (walk != nullptr) {
        *walk = result;
    }
    return seen;
}

TEST(TrafficWalk, FindsPlainIpv4BehindTheLinkHeaderOfTheAdapter) {
    const Bytes udp = Datagram(17, 100, 0x0a000001, 0x0a000002, 53, 1000);
    const struct {
        const char* name;
        uint32_t linkHeaderLength;
        uint32_t frameHeader;
        size_t expected;
    } cases[] = {
        {"Ethernet frames on an Ethernet adapter", 14, 14, 1},
        {"Token Ring frames on a Token Ring adapter", 22, 22, 1},
        {"Ethernet frames read with the Token Ring offset", 22, 14, 0},
        {"Token Ring frames read with the Ethernet offset", 14, 22, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes buffer = DriverBuffer({Frame(udp, c.frameHeader)});
        EXPECT_EQ(Walk(buffer, static_cast<uint32_t>(buffer.size()), c.linkHeaderLength).totalLengths.size(),
                  c.expected);
    }
}

TEST(TrafficWalk, OnlyTheFirstIpByte0x45Counts) {
    Bytes options = Datagram(17, 100, 1, 2, 3, 4);
    options[0] = 0x46;
    Bytes ipv6 = Datagram(17, 100, 1, 2, 3, 4);
    ipv6[0] = 0x60;
    Bytes arp = Frame(Datagram(17, 100, 1, 2, 3, 4));
    arp[12] = 0x08;
    arp[13] = 0x06; // the type field is not consulted: only the byte after the link header
    const Bytes buffer = DriverBuffer({Frame(options), Frame(ipv6), arp});
    const Seen seen = Walk(buffer, static_cast<uint32_t>(buffer.size()), 14);
    EXPECT_EQ(seen.totalLengths, std::vector<uint16_t>{100});
}

TEST(TrafficWalk, FollowsRecordsOfEveryLengthToTheNextMultipleOfFour) {
    std::vector<Bytes> frames;
    std::vector<uint16_t> expected;
    for (uint16_t length = 24; length < 32; ++length) { // captured + 20 ends on every remainder of 4
        frames.push_back(Frame(Datagram(1, length, 1, 2, 3, 4)));
        expected.push_back(length);
    }
    capture::RecordWalk walk;
    const Bytes buffer = DriverBuffer(frames);
    const Seen seen = Walk(buffer, static_cast<uint32_t>(buffer.size()), 14, &walk);
    EXPECT_EQ(seen.totalLengths, expected);
    EXPECT_EQ(walk.records, frames.size());
}

TEST(TrafficWalk, SkipsRecordsTooShortForTheHeaderAndTheTwoWords) {
    const Bytes full = Datagram(6, 60, 1, 2, 3, 4);
    const Bytes shortBy1(full.begin(), full.begin() + 23);
    const Bytes exactly(full.begin(), full.begin() + 24);
    const Bytes buffer = DriverBuffer({Frame(shortBy1), Frame(exactly), Bytes(13, 0x45)});
    const Seen seen = Walk(buffer, static_cast<uint32_t>(buffer.size()), 14);
    EXPECT_EQ(seen.captured, std::vector<uint32_t>{24}) << "link header + 24 bytes is the least that counts";
}

TEST(TrafficWalk, CountsEveryRecordNotHandedOnByItsReason) {
    const Bytes udp = Datagram(17, 100, 1, 2, 3, 4);
    Bytes ipv6 = udp;
    ipv6[0] = 0x60;
    const auto first = [](const Bytes& bytes, size_t count) { return Bytes(bytes.begin(), bytes.begin() + count); };
    const struct {
        const char* name;
        Bytes frame;
        uint32_t linkHeaderLength;
        uint32_t datagrams, notIpv4, tooShort;
    } cases[] = {
        {"plain IPv4", Frame(udp), 14, 1, 0, 0},
        {"IPv6", Frame(ipv6), 14, 0, 1, 0},
        {"IPv6 cut to 20 bytes: the byte is there", first(Frame(ipv6), 20), 14, 0, 1, 0},
        {"0x45 with 23 IP bytes", first(Frame(udp), 14 + 23), 14, 0, 0, 1},
        {"ends before the link offset's byte", Bytes(14, 0x45), 14, 0, 0, 1},
        {"no bytes at all", {}, 14, 0, 0, 1},
        {"Token Ring offset beyond an Ethernet frame's 0x45", first(Frame(udp), 22), 22, 0, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes buffer = DriverBuffer({c.frame});
        capture::RecordWalk walk;
        (void)Walk(buffer, static_cast<uint32_t>(buffer.size()), c.linkHeaderLength, &walk);
        EXPECT_EQ(walk.records, 1u);
        EXPECT_EQ(walk.datagrams, c.datagrams);
        EXPECT_EQ(walk.notIpv4, c.notIpv4);
        EXPECT_EQ(walk.tooShort, c.tooShort);
    }
}

TEST(TrafficWalk, NeverReadsARecordThatRunsPastTheReceivedBytes) {
    const Bytes a = Frame(Datagram(17, 100, 1, 2, 3, 4));
    const Bytes buffer = DriverBuffer({a, a});
    const uint32_t firstRecord = static_cast<uint32_t>(buffer.size() / 2);
    const struct {
        const char* name;
        uint32_t received;
        size_t expected;
    } cases[] = {
        {"all", static_cast<uint32_t>(buffer.size()), 2},
        {"second record cut by one byte", static_cast<uint32_t>(buffer.size() - 3 - 1), 1},
        {"only the second's header", firstRecord + 20, 1},
        {"half a header", firstRecord + 10, 1},
        {"first record cut", firstRecord - 4, 0},
        {"nothing", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Walk(buffer, c.received, 14).totalLengths.size(), c.expected);
    }
}

TEST(TrafficWalk, StopsAtAHeaderLengthShorterThanAHeader) {
    // A header length of 0 with 0 bytes would otherwise never move on.
    Bytes buffer = DriverBuffer({Frame(Datagram(17, 100, 1, 2, 3, 4))});
    const Bytes second = buffer;
    buffer.insert(buffer.begin(), 20, 0); // a record of header length 0 and captured length 0
    buffer.insert(buffer.end(), second.begin(), second.end());
    capture::RecordWalk walk;
    EXPECT_TRUE(Walk(buffer, static_cast<uint32_t>(buffer.size()), 14, &walk).totalLengths.empty());
    EXPECT_EQ(walk.records, 0u);
}

TEST(TrafficWalk, HandsOnTheCapturedBytesNotTheTotalLength) {
    const Bytes cut = Datagram(6, 1500, 1, 2, 3, 4, 82); // snap length 96: 82 IP bytes of 1500
    const Bytes buffer = DriverBuffer({Frame(cut)});
    const Seen seen = Walk(buffer, static_cast<uint32_t>(buffer.size()), 14);
    EXPECT_EQ(seen.totalLengths, std::vector<uint16_t>{1500});
    EXPECT_EQ(seen.captured, std::vector<uint32_t>{82});
}

} // namespace
