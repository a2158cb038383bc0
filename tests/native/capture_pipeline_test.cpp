// Every real capture through the whole portable path (file reader, driver-format replay, record walk, flow
// table) gives exactly the reference flow table and totals; so does a Token Ring copy of a capture, and so
// does the generated large capture, against the figures its generator booked as it wrote it.
#include <gtest/gtest.h>

#include "capture/engine/capture_pass.h"
#include "capture/flows/flow_csv.h"
#include "capture/flows/memory_traffic_view.h"
#include "capture/flows/traffic_counters.h"
#include "capture/names/services_parser.h"
#include "capture_bytes.h"
#include "packet/capture_replay.h"
#include "packet/link_types.h"

namespace {

using capture_bytes::Bytes;

struct Result {
    std::string csv;
    uint32_t packets = 0;
    uint32_t bytes = 0;
    std::string status;
};

Result Replay(std::unique_ptr<packet::ByteSource> source, uint32_t bufferBytes) {
    packetCount = 0;
    totalBytes = 0;
    auto reader = std::make_unique<packet::PcapReader>(std::move(source));
    EXPECT_EQ(reader->Open(), packet::PcapStatus::Ok);
    packet::CaptureReplay replay(std::move(reader));
    const uint32_t linkHeader =
        capture::LinkHeaderLengthForMedium(packet::NdisMediumForLinkType(replay.Header().linkType));

    capture::MemoryTrafficView view;
    CServicesParser services("/nonexistent/services");
    capture::SettingsValues settings;
    uint32_t now = 0;
    capture::FlowTable table({&view, [&now] { return now; }, nullptr, &services, &settings, nullptr});
    Bytes buffer(bufferBytes);
    for (;;) {
        const packet::ReplayFill fill = replay.Fill(buffer.data(), bufferBytes, packet::CaptureReplay::kAllDue);
        if (fill.bytes == 0) {
            break;
        }
        (void)capture::PassReceivedRecords(buffer.data(), fill.bytes, linkHeader, table);
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
    return {csv, packetCount, totalBytes, view.status};
}

void ExpectReference(const Result& result, const std::string& name) {
    const auto totals = capture_bytes::ReadTotals(name);
    EXPECT_EQ(result.csv, capture_bytes::ReferenceFlowCsv(name));
    EXPECT_EQ(result.packets, totals.at("packetCount"));
    EXPECT_EQ(result.bytes, totals.at("totalBytes"));
    if (totals.at("packetCount") != 0) {
        EXPECT_EQ(result.status, capture_bytes::ReferenceStatusLine(name));
    }
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
