// The per-second series: every shared capture binned as the reference reader bins it, seconds out of order
// and across blocks, spans of columns, and its CSV text.
#include "capture/series/traffic_series.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "capture/engine/capture_pass.h"
#include "capture/flows/memory_traffic_view.h"
#include "capture/flows/traffic_counters.h"
#include "capture/names/services_parser.h"
#include "capture/series/series_csv.h"
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
    auto reader = std::make_unique<packet::PcapReader>(packet::FileByteSource::Open(path.c_str()));
    ASSERT_EQ(reader->Open(), packet::PcapStatus::Ok);
    packet::CaptureReplay replay(std::move(reader));
    const uint32_t linkHeader =
        capture::LinkHeaderLengthForMedium(packet::NdisMediumForLinkType(replay.Header().linkType));
    capture::MemoryTrafficView view;
    CServicesParser services("/nonexistent/services");
    capture::SettingsValues settings;
    capture::FlowTable table({&view, [] { return 0u; }, nullptr, &services, &settings, nullptr});
    table.AddListener(&series);
    capture_bytes::Bytes buffer(1u << 20);
    for (;;) {
        const packet::ReplayFill fill = replay.Fill(buffer.data(), 1u << 20, packet::CaptureReplay::kAllDue);
        if (fill.bytes == 0) {
            break;
        }
        (void)capture::PassReceivedRecords(buffer.data(), fill.bytes, linkHeader, table);
    }
    table.Clear();
}

TEST(TrafficSeries, EverySharedCaptureBinsAsTheReferenceReaderBinsIt) {
    for (const std::string& name : capture_bytes::SharedCaptures()) {
        SCOPED_TRACE(name);
        const std::string path = capture_bytes::DataFile(name + ".pcap");
        // The reference reader agrees with the corpus's own totals, so it is the oracle's rules applied.
        const capture_bytes::ReferenceSeconds reference = capture_bytes::ReadReferenceSeconds(path);
        uint64_t datagrams = 0;
        for (const auto& [second, counts] : reference) {
            datagrams += counts.datagrams;
        }
        EXPECT_EQ(datagrams, capture_bytes::ReadTotals(name).at("packetCount"));

        TrafficSeries series;
        Replay(path, series);
        EXPECT_EQ(SeriesCsv(series), capture_bytes::ReferenceSeriesCsv(reference));
        EXPECT_EQ(series.Total().datagrams, datagrams);
    }
    packetCount = 0;
    totalBytes = 0;
}

// Counts one datagram of the given length at a capture time given in microseconds.
void Count(TrafficSeries& series, uint64_t time, uint32_t length) {
    series.OnCounted(capture::FlowRow{}, length, time);
}

TEST(TrafficSeries, SecondsOutOfOrderAndAcrossBlocksEachKeepTheirOwnCounts) {
    TrafficSeries series;
    EXPECT_TRUE(series.Empty());
    EXPECT_EQ(SeriesCsv(series), "second,datagrams,bytes\n");

    Count(series, 100'500'000, 100); // second 100
    Count(series, 5'000'000, 40);    // earlier, in an earlier block of seconds
    Count(series, 64'000'000, 60);   // the first second of the second block
    Count(series, 63'999'999, 70);   // the last second of the first block
    Count(series, 100'999'999, 200); // second 100 again
    EXPECT_FALSE(series.Empty());
    EXPECT_EQ(series.EarliestTime(), 5'000'000u);
    EXPECT_EQ(series.LatestTime(), 100'999'999u);
    EXPECT_EQ(series.FirstSecond(), 5u);
    EXPECT_EQ(series.LastSecond(), 100u);
    EXPECT_EQ(series.Total(), (SecondCounts{5, 470}));
    EXPECT_EQ(series.Peak(), (SecondCounts{2, 300}));
    EXPECT_EQ(series.At(100), (SecondCounts{2, 300}));
    EXPECT_EQ(series.At(63), (SecondCounts{1, 70}));
    EXPECT_EQ(series.At(6), (SecondCounts{}));
    EXPECT_EQ(series.At(1'000'000), (SecondCounts{}));

    // Columns of three seconds from 62: 62-64, 65-67, ...; the last reaches past the data.
    const std::vector<SecondCounts> columns = series.SumColumns(62, 3, 14);
    ASSERT_EQ(columns.size(), 14u);
    EXPECT_EQ(columns[0], (SecondCounts{2, 130}));
    EXPECT_EQ(columns[12], (SecondCounts{2, 300})); // 98-100
    EXPECT_EQ(columns[13], (SecondCounts{}));
    EXPECT_EQ(series.SumColumns(0, 0, 1)[0], (SecondCounts{})) << "0 seconds a column is taken as 1";

    const std::string csv = SeriesCsv(series);
    EXPECT_EQ(csv.rfind("second,datagrams,bytes\n5,1,40\n6,0,0\n7,0,0\n", 0), 0u);
    EXPECT_NE(csv.find("\n63,1,70\n64,1,60\n65,0,0\n"), std::string::npos);
    EXPECT_TRUE(csv.ends_with("\n99,0,0\n100,2,300\n"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 96) << "the header, then seconds 5 to 100";

    series.Reset();
    EXPECT_TRUE(series.Empty());
    EXPECT_EQ(series.Peak(), (SecondCounts{}));
    EXPECT_EQ(series.At(100), (SecondCounts{}));
    Count(series, 7'000'000, 10);
    EXPECT_EQ(SeriesCsv(series), "second,datagrams,bytes\n7,1,10\n");
}

TEST(TrafficSeries, ALongSeriesIsWrittenInPiecesAndAFailedWriteStopsIt) {
    TrafficSeries series;
    Count(series, 0, 1);
    Count(series, 99'999'000'000, 1); // a day and more later: one line for every second between
    std::size_t pieces = 0;
    std::size_t largest = 0;
    std::string csv;
    EXPECT_TRUE(capture::WriteSeriesCsv(series, [&](std::string_view piece) {
        ++pieces;
        largest = std::max(largest, piece.size());
        csv += piece;
        return true;
    }));
    EXPECT_GT(pieces, 10u);
    EXPECT_LT(largest, 70'000u);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 100'000);

    pieces = 0;
    EXPECT_FALSE(capture::WriteSeriesCsv(series, [&](std::string_view) { return ++pieces < 3; }));
    EXPECT_EQ(pieces, 3u) << "nothing more is handed over after a failed write";
}

} // namespace

namespace {

TEST(TrafficSeries, ItsFileIsCreatedBeforeAndWrittenAfterAndFailuresAreSaid) {
    TrafficSeries series;
    Count(series, 3'000'000, 120);
    std::string error;
    capture::SeriesCsvFile file;
    EXPECT_FALSE(file.Create("/nonexistent/folder/series.csv", error));
    EXPECT_EQ(error, "cannot create \"/nonexistent/folder/series.csv\": No such file or directory");
    EXPECT_FALSE(file.Save(series, error));

    const std::string path = testing::TempDir() + "brisklane_series.csv";
    ASSERT_TRUE(file.Create(path, error)) << error;
    ASSERT_TRUE(file.Save(series, error)) << error;
    EXPECT_EQ(capture_bytes::ReadText(path), "second,datagrams,bytes\n3,1,120\n");
    std::remove(path.c_str());

    ASSERT_TRUE(file.Create("/dev/full", error)) << error;
    EXPECT_FALSE(file.Save(series, error));
    EXPECT_EQ(error, "writing \"/dev/full\" failed: No space left on device");
}

} // namespace
