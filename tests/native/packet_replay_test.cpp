// The stand-in's replay: driver-format records in the receive buffer, whole records only, pacing by time
// stamps, a live stream that delivers its records in pieces; its link-type mapping and the adapter-name
// list.
#include "packet/adapter_list.h"
#include "packet/capture_replay.h"
#include "packet/drop_report.h"
#include "packet/link_types.h"
#include "packet/pcap_reader.h"

#include <gtest/gtest.h>

#include "capture/engine/record_walk.h"
#include "capture_bytes.h"

namespace {

using capture_bytes::Bytes;
using capture_bytes::PcapFile;
using capture_bytes::PcapFrame;
using packet::CaptureReplay;

std::unique_ptr<CaptureReplay> ReplayOf(const Bytes& file, Bytes& storage) {
    storage = file;
    auto reader = std::make_unique<packet::PcapReader>(
        std::make_unique<packet::MemoryByteSource>(storage.data(), storage.size()));
    EXPECT_EQ(reader->Open(), packet::PcapStatus::Ok);
    return std::make_unique<CaptureReplay>(std::move(reader));
}

uint32_t Read32(const uint8_t* bytes) {
    uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

TEST(PacketReplay, WritesDriverRecordsAlignedToFourWithZeroPadding) {
    Bytes storage;
    auto replay = ReplayOf(PcapFile({{10, 20, Bytes(61, 0xee), 1514}, {11, 21, Bytes(64, 0xdd)}}), storage);
    Bytes buffer(4096, 0x99);
    const packet::ReplayFill fill =
        replay->Fill(buffer.data(), static_cast<uint32_t>(buffer.size()), CaptureReplay::kAllDue);
    EXPECT_EQ(fill.records, 2u);
    EXPECT_EQ(fill.bytes, 84u + 84u); // 20 + 61 rounded up to 84; 20 + 64 = 84
    EXPECT_EQ(Read32(&buffer[0]), 10u);
    EXPECT_EQ(Read32(&buffer[4]), 20u);
    EXPECT_EQ(Read32(&buffer[8]), 61u);
    EXPECT_EQ(Read32(&buffer[12]), 1514u);
    EXPECT_EQ(buffer[16], 20);
    EXPECT_EQ(buffer[17], 0);
    EXPECT_EQ(buffer[20], 0xee);
    EXPECT_EQ(buffer[80], 0xee);
    for (int i = 81; i < 84; ++i) {
        EXPECT_EQ(buffer[static_cast<size_t>(i)], 0) << "padding byte " << i;
    }
    EXPECT_EQ(Read32(&buffer[84 + 8]), 64u);
    EXPECT_TRUE(replay->Exhausted());
}

TEST(PacketReplay, FillsOnlyWholeRecordsAndKeepsTheRestForTheNextReceive) {
    Bytes storage;
    std::vector<PcapFrame> frames(10, PcapFrame{0, 0, Bytes(100, 1)}); // 120 bytes each in the buffer
    auto replay = ReplayOf(PcapFile(frames), storage);
    Bytes buffer(1000);
    uint32_t records = 0;
    int receives = 0;
    for (;;) {
        const packet::ReplayFill fill = replay->Fill(buffer.data(), 359, CaptureReplay::kAllDue);
        if (fill.bytes == 0) {
            break;
        }
        EXPECT_EQ(fill.bytes, fill.records * 120u);
        EXPECT_LE(fill.bytes, 359u);
        records += fill.records;
        ++receives;
    }
    EXPECT_EQ(records, 10u);
    EXPECT_EQ(receives, 5) << "two whole records fit in 359 bytes";
}

TEST(PacketReplay, CutsARecordThatCannotFitAnEmptyBuffer) {
    Bytes storage;
    auto replay = ReplayOf(PcapFile({{0, 0, Bytes(500, 3)}, {0, 0, Bytes(10, 4)}}), storage);
    Bytes buffer(203);
    packet::ReplayFill fill = replay->Fill(buffer.data(), 203, CaptureReplay::kAllDue);
    EXPECT_EQ(fill.records, 1u);
    EXPECT_EQ(fill.bytes, 200u);
    EXPECT_EQ(Read32(&buffer[8]), 180u) << "captured length cut to what fits, a multiple of 4";
    EXPECT_EQ(Read32(&buffer[12]), 500u) << "the wire length stays";
    fill = replay->Fill(buffer.data(), 203, CaptureReplay::kAllDue);
    EXPECT_EQ(fill.records, 1u);
    EXPECT_EQ(Read32(&buffer[8]), 10u);
    // A buffer smaller than a record header takes nothing and loses nothing.
    Bytes storage2;
    auto small = ReplayOf(PcapFile({{0, 0, Bytes(1, 1)}}), storage2);
    EXPECT_EQ(small->Fill(buffer.data(), 19, CaptureReplay::kAllDue).records, 0u);
    EXPECT_EQ(small->Fill(buffer.data(), 24, CaptureReplay::kAllDue).records, 1u);
}

TEST(PacketReplay, PacedFillHandsOutOnlyRecordsWhoseTimeHasCome) {
    Bytes storage;
    // Offsets from the first record: 0, 0.5 s, 2 s, and one stamped before the first (due at once).
    auto replay = ReplayOf(
        PcapFile({{100, 0, Bytes(8, 1)}, {100, 500000, Bytes(8, 2)}, {102, 0, Bytes(8, 3)}, {99, 0, Bytes(8, 4)}}),
        storage);
    Bytes buffer(4096);
    uint64_t offset = 99;
    ASSERT_TRUE(replay->NextRecordOffset(offset));
    EXPECT_EQ(offset, 0u);
    EXPECT_EQ(replay->Fill(buffer.data(), 4096, 0).records, 1u);
    EXPECT_EQ(replay->Fill(buffer.data(), 4096, 499999).records, 0u);
    ASSERT_TRUE(replay->NextRecordOffset(offset));
    EXPECT_EQ(offset, 500000u);
    EXPECT_EQ(replay->Fill(buffer.data(), 4096, 500000).records, 1u);
    EXPECT_EQ(replay->Fill(buffer.data(), 4096, 2000000).records, 2u) << "the early-stamped record follows at once";
    EXPECT_FALSE(replay->NextRecordOffset(offset));
    EXPECT_TRUE(replay->Exhausted());
}

TEST(PacketReplay, DamagedFileEndsTheReplayAfterItsGoodRecords) {
    Bytes file = PcapFile({{0, 0, Bytes(30, 1)}, {0, 0, Bytes(30, 2)}});
    file.resize(file.size() - 5);
    Bytes storage;
    auto replay = ReplayOf(file, storage);
    Bytes buffer(4096);
    EXPECT_EQ(replay->Fill(buffer.data(), 4096, CaptureReplay::kAllDue).records, 1u);
    EXPECT_TRUE(replay->Exhausted());
    EXPECT_NE(replay->ErrorText().find("record 2"), std::string::npos);
}

TEST(PacketReplay, SharedCaptureThroughSmallBuffersKeepsEveryRecordForTheWalk) {
    // The record walk of the engine must see each record of the file exactly once, whatever the buffer.
    for (uint32_t capacity : {1u << 20, 4096u, 1500u}) {
        SCOPED_TRACE(capacity);
        auto source = packet::FileByteSource::Open(capture_bytes::DataFile("eth-mixed-http-dns-udp-icmp.pcap").c_str());
        auto reader = std::make_unique<packet::PcapReader>(std::move(source));
        ASSERT_EQ(reader->Open(), packet::PcapStatus::Ok);
        CaptureReplay replay(std::move(reader));
        Bytes buffer(capacity);
        uint64_t records = 0;
        for (;;) {
            const packet::ReplayFill fill = replay.Fill(buffer.data(), capacity, CaptureReplay::kAllDue);
            if (fill.bytes == 0) {
                break;
            }
            EXPECT_EQ(fill.bytes % 4, 0u);
            const capture::RecordWalk walk = capture::WalkCaptureRecords(
                buffer.data(), fill.bytes, 14, [](const uint8_t*, uint32_t, const capture::CaptureRecord&) {});
            EXPECT_EQ(walk.records, fill.records);
            records += walk.records;
        }
        EXPECT_EQ(records, capture_bytes::ReadTotals("eth-mixed-http-dns-udp-icmp").at("frames_total"));
    }
}

// A live stream: hands out what its writer has sent so far, and more may come until the writer closes it.
class Stream final : public packet::ByteSource {
public:
    size_t Read(uint8_t* destination, size_t size) override {
        const size_t count = std::min(size, m_sent.size() - m_offset);
        std::memcpy(destination, m_sent.data() + m_offset, count);
        m_offset += count;
        return count;
    }
    bool MoreMayCome() const override { return !m_closed; }
    void Send(const Bytes& bytes, size_t from, size_t to) { m_sent.insert(m_sent.end(), &bytes[from], &bytes[to]); }
    void Close() { m_closed = true; }

private:
    Bytes m_sent;
    size_t m_offset = 0;
    bool m_closed = false;
};

TEST(PacketReplay, LiveStreamWaitsForWholeRecordsAndEndsOnlyWhenClosed) {
    for (const bool closeInsideARecord : {false, true}) {
        SCOPED_TRACE(closeInsideARecord ? "closed inside a record" : "closed after a record");
        const Bytes file = PcapFile({{1, 0, Bytes(60, 1)}, {2, 0, Bytes(70, 2)}});
        auto owned = std::make_unique<Stream>();
        Stream& stream = *owned;
        auto reader = std::make_unique<packet::PcapReader>(std::move(owned));
        stream.Send(file, 0, 10);
        EXPECT_EQ(reader->Open(), packet::PcapStatus::Waiting) << "half a header";
        stream.Send(file, 10, 24 + 16 + 60 + 5);
        ASSERT_EQ(reader->Open(), packet::PcapStatus::Ok);
        CaptureReplay replay(std::move(reader));
        Bytes buffer(4096);
        packet::ReplayFill fill = replay.Fill(buffer.data(), 4096, CaptureReplay::kAllDue);
        EXPECT_EQ(fill.records, 1u) << "the whole record; the next one waits for its rest";
        EXPECT_FALSE(replay.Exhausted()) << "a pause is not the end";
        EXPECT_EQ(replay.Fill(buffer.data(), 4096, CaptureReplay::kAllDue).records, 0u);
        if (closeInsideARecord) {
            stream.Close();
            EXPECT_EQ(replay.Fill(buffer.data(), 4096, CaptureReplay::kAllDue).records, 0u);
            EXPECT_TRUE(replay.Exhausted());
            EXPECT_NE(replay.ErrorText().find("ends inside a record"), std::string::npos);
            continue;
        }
        stream.Send(file, 24 + 16 + 60 + 5, file.size());
        fill = replay.Fill(buffer.data(), 4096, CaptureReplay::kAllDue);
        EXPECT_EQ(fill.records, 1u);
        EXPECT_EQ(buffer[8], 70) << "the second record's captured length";
        EXPECT_FALSE(replay.Exhausted()) << "the writer is still there";
        stream.Close();
        EXPECT_TRUE(replay.Exhausted());
        EXPECT_EQ(replay.ErrorText(), "");
    }
}

TEST(PacketLinkTypes, MapsLinkTypesToMediumNumbers) {
    const struct {
        uint32_t linkType;
        uint32_t medium;
    } cases[] = {
        {1, 0},                           // Ethernet: 802.3
        {6, 1},                           // Token Ring: 802.5
        {10, 2},                          // FDDI
        {0, 0xffffffffu},                 // BSD loopback: null (-1)
        {105, static_cast<uint32_t>(-4)}, // bare 802.11
        {127, static_cast<uint32_t>(-5)}, // radiotap
        {101, 19},                        // raw IP
        {113, 0},                         // Linux cooked: no medium of its own
        {65000, 0},                       // unknown
    };
    for (const auto& c : cases) {
        EXPECT_EQ(packet::NdisMediumForLinkType(c.linkType), c.medium) << "link type " << c.linkType;
    }
    // And back, as saved files carry it: one link type per medium; media without one of their own are 802.3.
    const struct {
        int32_t medium;
        uint32_t linkType;
    } back[] = {{0, 1},  {1, 6},    {2, 10},  {3, 1},    {6, 7},    {8, 11},   {19, 101},
                {-1, 0}, {-2, 104}, {-3, 50}, {-4, 105}, {-5, 127}, {-6, 192}, {99, 1}};
    for (const auto& c : back) {
        EXPECT_EQ(packet::LinkTypeForNdisMedium(static_cast<uint32_t>(c.medium)), c.linkType) << "medium " << c.medium;
    }
    char buffer[32];
    EXPECT_STREQ(packet::LinkTypeName(1, buffer, sizeof buffer), "Ethernet");
    EXPECT_STREQ(packet::LinkTypeName(113, buffer, sizeof buffer), "link type 113");
}

TEST(PacketAdapterList, LaysOutNamesThenDescriptions) {
    using packet::AdapterEntry;
    const std::string block = packet::FormatAdapterNames({AdapterEntry{"a.pcap", "A"}, AdapterEntry{"b.pcap", "B"}});
    EXPECT_EQ(block, std::string("a.pcap\0b.pcap\0\0A\0B\0\0", 20));
    EXPECT_EQ(packet::FormatAdapterNames({}), "");
}

TEST(PacketAdapterList, SplitsPathListsAndPicksCaptureFiles) {
    EXPECT_EQ(packet::SplitPathList("a;;b;"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(packet::SplitPathList(""), std::vector<std::string>{});
    EXPECT_TRUE(packet::HasCaptureExtension("x.PCAP"));
    EXPECT_TRUE(packet::HasCaptureExtension("dir\\x.pcap"));
    EXPECT_FALSE(packet::HasCaptureExtension(".pcap"));
    EXPECT_TRUE(packet::HasCaptureExtension("x.PcapNG"));
    EXPECT_FALSE(packet::HasCaptureExtension(".pcapng"));
    EXPECT_FALSE(packet::HasCaptureExtension("x.pcapngs"));
    EXPECT_EQ(packet::DescribeCaptureFile(capture_bytes::DataFile("eth-icmp-echo.pcap")),
              "Capture file eth-icmp-echo.pcap (Ethernet)");
    EXPECT_EQ(packet::DescribeCaptureFile(capture_bytes::DataFile("sll-tcp-resp-benchmark.pcap")),
              "Capture file sll-tcp-resp-benchmark.pcap (link type 113)");
    EXPECT_EQ(packet::DescribeCaptureFile(capture_bytes::DataFile("README.md")), "");
}

TEST(StandInDrops, TheLatestWholeReportOfTheStreamsWriterCounts) {
    const struct {
        const char* name;
        const char* text;
        bool found;
        uint64_t received, dropped;
    } cases[] = {
        {"nothing reported yet", "tcpdump: listening on veth0, link-type EN10MB (Ethernet)\n", false, 0, 0},
        {"a report on SIGUSR1",
         "listening\n10 packets captured\n12 packets received by filter\n2 packets dropped by kernel\n", true, 12, 2},
        {"the last of several, in the singular",
         "5 packets received by filter\n0 packets dropped by kernel\n1 packet captured\n1 packet received by filter\n"
         "1 packet dropped by kernel\n",
         true, 1, 1},
        {"a line still being written is not read", "9 packets received by filter\n3 packets dropped by kernel\n7 pack",
         true, 9, 3},
        {"half a line", "200000 packets received by filter\n4 packets dropped by ker", false, 0, 0},
        {"a report on one line, as on SIGUSR1, then the one at the end",
         "tcpdump: 7 packets captured, 9 packets received by filter, 2 packets dropped by kernel\n"
         "tcpdump: 8 packets captured, 10 packets received by filter, 2 packets dropped by kernel\n"
         "8 packets captured\n11 packets received by filter\n3 packets dropped by kernel\n",
         true, 11, 3},
        {"one line on its own",
         "tcpdump: 1 packet captured, 1 packet received by filter, 0 packets dropped by kernel\n", true, 1, 0},
        {"CR LF lines, and noise around",
         "x\r\n40 packets received by filter\r\nabc packets dropped by kernel\r\n"
         "0 packets dropped by kernel\r\n",
         true, 40, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        packet::DropReport report;
        ASSERT_EQ(packet::ParseLatestDropReport(c.text, report), c.found);
        EXPECT_EQ(report.receivedByFilter, c.received);
        EXPECT_EQ(report.droppedByKernel, c.dropped);
    }
}

} // namespace
