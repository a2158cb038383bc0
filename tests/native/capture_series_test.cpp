// The per-second series: every real capture binned as the reference reader bins it; seconds out of order,
// across blocks and in spans of columns; its CSV text.
#include "capture/series/traffic_series.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "capture/engine/capture_pass.h"
#include "capture/flows/memory_traffic_view.h"
#include "capture/flows/traffic_counters.h"
#include "capture/names/services_parser.h"
#include "capture/series/series_csv.h"
#include "capture_bytes.h"
#include "packet/capture_replay.h"
#include "packet/link_types.h"
#include "reference_series.h"

namespace {

using capture::SecondCounts;
using capture::TrafficSeries;

std::string SeriesCsv(const TrafficSeries& series) {
    std::string csv;
    EXPECT_TRUE(capture::WriteSeriesCsv(series, [&csv](std::string_view piece) {
        csv += piece;
        return true;
    }));
    return csv;
}

// A capture file through the program's portable path (reader, replay, record walk, flow table) into a series.
void Replay(const std::string& path, TrafficSeries& series) {
    const std::unique_ptr<packet::CaptureReplay> replay = packet::OpenFileReplay(path.c_str());
    ASSERT_NE(replay, nullptr);
    const uint32_t linkHeader =
        capture::LinkHeaderLengthForMedium(packet::NdisMediumForLinkType(replay->Header().linkType));
    capture::MemoryTrafficView view;
    CServicesParser services("/nonexistent/services");
    capture::SettingsValues settings;
    capture::FlowTable table({&view, [] { return 0u; }, nullptr, &services, &settings, nullptr});
    table.AddListener(&series);
    capture_bytes::Bytes buffer(1u << 20);
    for (packet::ReplayFill fill; (fill = replay->Fill(buffer.data(), 1u << 20, UINT64_MAX)).bytes != 0;) {
        (void)capture::PassReceivedRecords(buffer.data(), fill.bytes, linkHeader, table);
    }
    packetCount = 0;
    totalBytes = 0;
}

TEST(TrafficSeries, EverySharedCaptureBinsAsTheReferenceReaderBinsIt) {
    for (const std::string& name : capture_bytes::SharedCaptures()) {
        SCOPED_TRACE(name);
        const std::string path = capture_bytes::DataFile(name + ".pcap");
        const capture_bytes::ReferenceSeconds reference = capture_bytes::ReadReferenceSeconds(path);
        uint64_t datagrams = 0;
        for (const auto& [second, counts] : reference) {
            datagrams += counts.datagrams;
        }
        // The reference reader agrees with the corpus's own totals: it applies the oracle's rules.
        EXPECT_EQ(datagrams, capture_bytes::ReadTotals(name).at("packetCount"));
        TrafficSeries series;
        Replay(path, series);
        EXPECT_EQ(SeriesCsv(series), capture_bytes::ReferenceSeriesCsv(reference));
    }
}

TEST(TrafficSeries, SecondsOutOfOrderAndAcrossBlocksKeepTheirOwnCounts) {
    TrafficSeries series;
    EXPECT_EQ(SeriesCsv(series), "second,datagrams,bytes\n");
    // Microseconds and lengths: second 100, an earlier block, both sides of a block's edge, second 100 again.
    for (const auto& [time, length] : {std::pair<uint64_t, uint32_t>{100'500'000, 100},
                                       {5'000'000, 40},
                                       {64'000'000, 60},
                                       {63'999'999, 70},
                                       {100'999'999, 200}}) {
        series.OnCounted(capture::FlowRow{}, length, time);
    }
    EXPECT_EQ(series.FirstSecond(), 5u);
    EXPECT_EQ(series.LastSecond(), 100u);
    EXPECT_EQ(series.LatestTime(), 100'999'999u);
    EXPECT_EQ(series.Total(), (SecondCounts{5, 470}));
    EXPECT_EQ(series.Peak(), (SecondCounts{2, 300}));
    EXPECT_EQ(series.At(63), (SecondCounts{1, 70}));
    // Columns of three seconds from 62: 62-64 holds two, 98-100 the last two, 101-103 nothing.
    const std::vector<SecondCounts> columns = series.SumColumns(62, 3, 14);
    EXPECT_EQ(columns[0], (SecondCounts{2, 130}));
    EXPECT_EQ(columns[12], (SecondCounts{2, 300}));
    EXPECT_EQ(columns[13], (SecondCounts{}));

    const std::string csv = SeriesCsv(series);
    EXPECT_TRUE(csv.starts_with("second,datagrams,bytes\n5,1,40\n6,0,0\n"));
    EXPECT_NE(csv.find("\n63,1,70\n64,1,60\n65,0,0\n"), std::string::npos);
    EXPECT_TRUE(csv.ends_with("\n99,0,0\n100,2,300\n"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 96) << "the header, then seconds 5 to 100";

    series.Reset();
    EXPECT_TRUE(series.Empty());
    EXPECT_EQ(series.At(100), (SecondCounts{}));
    EXPECT_EQ(SeriesCsv(series), "second,datagrams,bytes\n");
}

} // namespace
