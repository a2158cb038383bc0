// Every real capture through the whole portable path (file reader, driver-format replay, record walk, flow
// table) gives exactly the reference flow table, totals and frame figures, in its classic form and converted
// to pcapng; so does a Token Ring copy of a capture, and so does the generated large capture, against the
// figures its generator booked as it wrote it. The account of every frame, by reason.
#include <gtest/gtest.h>

#include "capture/engine/capture_pass.h"
#include "capture/engine/frame_account.h"
#include "capture/flows/flow_csv.h"
#include "capture/flows/memory_traffic_view.h"
#include "capture/flows/traffic_counters.h"
#include "capture/names/services_parser.h"
#include "capture_bytes.h"
#include "packet/capture_format.h"
#include "packet/capture_replay.h"
#include "packet/link_types.h"
#include "pcapng_bytes.h"

namespace {

using capture_bytes::Bytes;

struct Result {
    std::string csv;
    uint32_t packets = 0;
    uint32_t bytes = 0;
    std::string status;
    capture::FrameFigures frames;
};

Result Replay(std::unique_ptr<packet::ByteSource> source, uint32_t bufferBytes,
              const capture::SettingsValues& settings = {}) {
    packetCount = 0;
    totalBytes = 0;
    auto reader = packet::CaptureReaderFor(std::move(source));
    EXPECT_EQ(reader->Open(), packet::PcapStatus::Ok);
    packet::CaptureReplay replay(std::move(reader));
    const uint32_t linkHeader =
        capture::LinkHeaderLengthForMedium(packet::NdisMediumForLinkType(replay.Header().linkType));

    capture::MemoryTrafficView view;
    CServicesParser services("/nonexistent/services");
    capture::FrameAccount account;
    uint32_t now = 0;
    capture::FlowTable table({&view, [&now] { return now; }, nullptr, &services, &settings, nullptr});
    Bytes buffer(bufferBytes);
    for (;;) {
        const packet::ReplayFill fill = replay.Fill(buffer.data(), bufferBytes, packet::CaptureReplay::kAllDue);
        if (fill.bytes == 0) {
            break;
        }
        account.Add(capture::PassReceivedRecords(buffer.data(), fill.bytes, linkHeader, table));
        account.SetOtherLinkType(replay.OtherLinkTypeRecords());
        now += 7;
        table.FlushIfDue(false);
    }
    table.FlushIfDue(true);
    EXPECT_TRUE(replay.ErrorText().empty()) << replay.ErrorText();

    // The list shows what the table holds, in arrival order until it is sorted; sorted, it holds the same
    // flows.
    EXPECT_EQ(view.rows, table.RowCount());
    for (size_t row = 0; row < view.rows; ++row) {
        EXPECT_EQ(view.Cell(table, row, capture::kColumnBytes), std::to_string(table.RowRecord(row).bytes));
    }
    const std::string csv = capture::FormatFlowCsv(capture::FlowLinesOf(table));
    table.SortBy({capture::kColumnBytes, true});
    (void)table.Reorder();
    EXPECT_EQ(capture::FormatFlowCsv(capture::FlowLinesInListOrder(table)), csv);
    return {csv, packetCount, totalBytes, view.status, account.Figures(packetCount)};
}

void ExpectReference(const Result& result, const std::string& name) {
    const auto totals = capture_bytes::ReadTotals(name);
    EXPECT_EQ(result.csv, capture_bytes::ReferenceFlowCsv(name));
    EXPECT_EQ(result.packets, totals.at("packetCount"));
    EXPECT_EQ(result.bytes, totals.at("totalBytes"));
    if (totals.at("packetCount") != 0) {
        EXPECT_EQ(result.status, capture_bytes::ReferenceStatusLine(name));
    }
    const capture::FrameFigures& frames = result.frames;
    EXPECT_EQ(frames.read, totals.at("frames_total"));
    EXPECT_EQ(frames.counted, totals.at("packetCount"));
    EXPECT_EQ(frames.headerNotBelowLength, totals.at("ignored_h_ge_l"));
    EXPECT_EQ(frames.notIpv4 + frames.tooShort, totals.at("frames_total") - totals.at("frames_counted"));
    EXPECT_EQ(frames.filteredOut + frames.otherLinkType, 0u);
    EXPECT_EQ(frames.read, frames.counted + frames.Skipped());
}

TEST(TrafficPipeline, EveryRealCaptureMatchesItsReferenceTable) {
    const std::vector<std::string> captures = capture_bytes::SharedCaptures();
    ASSERT_GE(captures.size(), 17u);
    for (const std::string& name : captures) {
        SCOPED_TRACE(name);
        auto source = packet::FileByteSource::Open(capture_bytes::DataFile(name + ".pcap").c_str());
        ASSERT_NE(source, nullptr);
        ExpectReference(Replay(std::move(source), 1u << 20), name);
    }
}

TEST(TrafficPipeline, TheGeneratedLargeCaptureMatchesWhatItsGeneratorSent) {
    const std::string name = capture_bytes::LargeCaptureName();
    auto source = packet::FileByteSource::Open(capture_bytes::DataFile(name + ".pcap").c_str());
    ASSERT_NE(source, nullptr) << "the build writes it: " << capture_bytes::DataFile(name + ".pcap");
    const auto totals = capture_bytes::ReadTotals(name);
    ASSERT_GT(totals.at("flows"), 10000u) << "many flows, as the benchmarks expect";
    ASSERT_GT(totals.at("ignored_h_ge_l"), 0u) << "bare acknowledgements that no flow keeps";
    ExpectReference(Replay(std::move(source), 1u << 20), name);
}

TEST(TrafficPipeline, EverySharedCaptureConvertedToPcapngMatchesItsReferenceTable) {
    for (const std::string& name : capture_bytes::SharedCaptures()) {
        SCOPED_TRACE(name);
        auto source = packet::FileByteSource::Open(pcapng_bytes::CorpusFile(name).c_str());
        ASSERT_NE(source, nullptr) << "run the pcapng_corpus test first";
        ExpectReference(Replay(std::move(source), 1u << 20), name);
    }
}

TEST(TrafficPipeline, EveryFrameIsAccountedForByItsReason) {
    using capture_bytes::Datagram;
    using capture_bytes::Frame;
    Bytes ipv6 = Frame(Datagram(17, 100, 1, 2, 3, 4));
    ipv6[14] = 0x60;
    const Bytes tcp = Frame(Datagram(6, 1500, 0x0a000001, 0x0a000002, 80, 1000));
    pcapng_bytes::Capture capture;
    capture.Section()
        .Interface({.linkType = 1})
        .Interface({.linkType = 113})
        .Enhanced(0, 1, tcp)
        .Enhanced(0, 2, Frame(Datagram(6, 40, 1, 2, 3, 4)))   // header not below length
        .Enhanced(0, 3, Frame(Datagram(17, 100, 1, 2, 3, 4))) // UDP, filtered out
        .Enhanced(0, 4, Frame(Datagram(17, 28, 1, 2, 3, 4)))  // filtered out before its length is looked at
        .Enhanced(0, 5, ipv6)
        .Enhanced(0, 6, Bytes(tcp.begin(), tcp.begin() + 37)) // one byte short of link header + 24
        .Enhanced(0, 7, Bytes(10, 0))
        .Enhanced(1, 8, tcp) // Linux cooked: left out by the reader
        .Enhanced(0, 9, tcp);
    capture::SettingsValues settings;
    settings.filterudp = 1;
    const Result result = Replay(std::make_unique<packet::MemoryByteSource>(capture.bytes.data(), capture.bytes.size()),
                                 1u << 20, settings);
    EXPECT_EQ(result.status, "All packets: 2     Total bytes: 2920");
    EXPECT_EQ(capture::FormatFramesLine(result.frames),
              "Frames: 9 read, 2 counted, 7 skipped (1 not IPv4 at the link offset, 2 too short, 1 ignored (header "
              "not below length), 2 filtered out, 1 other link type)");
    EXPECT_EQ(capture::FormatFramesShort(result.frames),
              "Frames: 9 read, 7 skipped (1 not IPv4, 2 too short, 1 ignored, 2 filtered out, 1 other link type)");
    capture::FrameFigures nothingSkipped;
    nothingSkipped.read = 3;
    nothingSkipped.counted = 3;
    EXPECT_EQ(capture::FormatFramesShort(nothingSkipped), "Frames: 3 read, 0 skipped");
}

TEST(TrafficPipeline, TokenRingCopiesMatchTheTablesOfTheirEthernetOriginals) {
    for (const char* name : {"eth-mixed-http-dns-udp-icmp", "eth-snaplen96-http-dns-udp-icmp",
                             "eth-snaplen37-below-minimum", "eth-ipv4-options-tcp-udp-icmp"}) {
        SCOPED_TRACE(name);
        const std::string original = capture_bytes::ReadText(capture_bytes::DataFile(std::string(name) + ".pcap"));
        const Bytes tokenRing = capture_bytes::AsTokenRing(Bytes(original.begin(), original.end()));
        ExpectReference(
            Replay(std::make_unique<packet::MemoryByteSource>(tokenRing.data(), tokenRing.size()), 1u << 20), name);
    }
}

TEST(TrafficPipeline, SmallReceiveBuffersGiveTheSameTable) {
    // Records cut to fit a tiny buffer still hold their first 24 IP bytes, so every datagram still counts.
    for (uint32_t bufferBytes : {65536u, 2048u}) {
        SCOPED_TRACE(bufferBytes);
        auto source = packet::FileByteSource::Open(capture_bytes::DataFile("eth-pim-ipv4-ipv6-mix.pcap").c_str());
        ExpectReference(Replay(std::move(source), bufferBytes), "eth-pim-ipv4-ipv6-mix");
    }
}

} // namespace
