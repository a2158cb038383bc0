// What the traffic graph shows: readable units, a whole capture (widened to fit), the last five minutes of a
// live one, and the edge that moves on while nothing comes.
#include "capture/series/graph_model.h"

#include <gtest/gtest.h>

namespace {

using capture::BuildGraphModel;
using capture::GraphBar;
using capture::GraphModel;
using capture::TrafficSeries;
using M = capture::GraphMetrics;

constexpr uint64_t kSecond = 1'000'000;
constexpr uint64_t kStart = 1'700'000'000;

// A graph whose plots are `columns` pixels wide and each 100 high.
constexpr int Width(int columns) {
    return columns + 2 * M::kMargin + M::kScaleWidth + M::kTextWidth;
}
constexpr int kHeight = 200 + 2 * M::kMargin + M::kLineHeight / 2 + M::kPlotGap + M::kLineHeight;

// `datagrams` datagrams of `length` bytes in the given second after kStart.
void Count(TrafficSeries& series, uint64_t second, uint32_t datagrams, uint32_t length) {
    for (uint32_t i = 0; i < datagrams; ++i) {
        series.OnCounted(capture::FlowRow{}, length, (kStart + second) * kSecond + i);
    }
}

TEST(TrafficGraphModel, RatesReadInUnitsWithUpToThreeDigits) {
    const std::tuple<double, const char*, const char*> cases[] = {
        {0, "0", "0 B/s"},
        {0.5, "0.5", "0.5 B/s"},
        {12.5, "12.5", "12.5 B/s"},
        {999, "999", "999 B/s"},
        {999.6, "1k", "1 kB/s"},
        {1250, "1.25k", "1.25 kB/s"},
        {2.5e6, "2.5M", "2.5 MB/s"},
        {1'234'567'890, "1.23G", "1.23 GB/s"},
        {5e15, "5000T", "5000 TB/s"},
    };
    for (const auto& [rate, count, bytes] : cases) {
        EXPECT_EQ(capture::FormatCountRate(rate), count);
        EXPECT_EQ(capture::FormatByteRate(rate), bytes);
    }
}

TEST(TrafficGraphModel, AWholeCaptureThatFitsHasABarPerSecondOnNiceScales) {
    TrafficSeries series;
    Count(series, 0, 10, 100);
    Count(series, 2, 40, 1000); // the peak: 40 datagrams, 40 kB
    Count(series, 9, 3, 50);    // the last second
    const GraphModel model = BuildGraphModel(series, {}, Width(600), kHeight);
    EXPECT_EQ(model.firstSecond, kStart);
    EXPECT_EQ(model.spanSeconds, 10u);
    const capture::GraphRect& area = model.datagrams.area;
    ASSERT_EQ(area.right - area.left, 600);
    ASSERT_EQ(area.bottom - area.top, 100);
    // 60 columns a second; heights against scales of 50 datagrams and 50 kB a second; any traffic shows.
    EXPECT_EQ(model.datagrams.bars, (std::vector<GraphBar>{{area.left, area.left + 60, 20},
                                                           {area.left + 120, area.left + 180, 80},
                                                           {area.left + 540, area.left + 600, 6}}));
    EXPECT_EQ(model.bytes.bars[2], (GraphBar{area.left + 540, area.left + 600, 1}));
    EXPECT_EQ(model.datagrams.scale,
              (std::vector<capture::AxisLabel>{{area.top, "50"}, {area.top + 50, "25"}, {area.bottom, "0"}}));
    EXPECT_EQ(model.bytes.scale[0].text, "50 kB/s");
    EXPECT_EQ(model.datagrams.current + ", " + model.datagrams.peak, "now 3, peak 40");
    EXPECT_EQ(model.bytes.current + ", " + model.bytes.peak, "now 150 B/s, peak 40 kB/s");
    // Time from the capture's first second, a label every 2 s: a second's 60 columns would crowd them.
    ASSERT_EQ(model.time.size(), 6u);
    EXPECT_EQ(model.time[1].position, area.left + 120);
    EXPECT_EQ(model.time[5].text, "0:10");
}

TEST(TrafficGraphModel, AWholeCaptureLongerThanTheGraphIsWideHasWiderBins) {
    TrafficSeries series;
    Count(series, 0, 1, 100);
    Count(series, 1000, 400, 100); // a burst at 1000 s
    Count(series, 1999, 1, 100);
    const GraphModel model = BuildGraphModel(series, {}, Width(500), kHeight);
    EXPECT_EQ(model.secondsPerBar, 4u);
    const int left = model.datagrams.area.left;
    // The burst over the four seconds of its bar: 100 a second, the top of the scale; the peak is one second's.
    EXPECT_EQ(model.datagrams.bars[1], (GraphBar{left + 250, left + 251, 100}));
    EXPECT_EQ(model.datagrams.peak, "peak 400");
    EXPECT_EQ(model.datagrams.bars[2].right, left + 500);
    EXPECT_EQ(model.time[1].text, "5:00"); // labels at least 70 columns apart
    EXPECT_EQ(model.time[1].position, left + 75);
    // No room to draw: no bars.
    EXPECT_TRUE(BuildGraphModel(series, {}, Width(0), kHeight).datagrams.bars.empty());
    EXPECT_TRUE(BuildGraphModel(series, {}, Width(500), 20).bytes.bars.empty());
}

TEST(TrafficGraphModel, ALiveGraphShowsTheLastFiveMinutesUpToAnEdgeThatMovesOn) {
    TrafficSeries series;
    Count(series, 0, 7, 100);   // more than five minutes before the edge
    Count(series, 500, 5, 100); // the last whole second before the edge
    Count(series, 501, 9, 100); // the second in progress at the edge
    const GraphModel model = BuildGraphModel(series, {true, (kStart + 501) * kSecond + 400'000}, Width(600), kHeight);
    EXPECT_EQ(model.firstSecond, kStart + 201);
    EXPECT_EQ(model.spanSeconds, 300u);
    const int right = model.datagrams.area.right;
    EXPECT_EQ(model.datagrams.bars, (std::vector<GraphBar>{{right - 2, right, 100}}));
    EXPECT_EQ(model.datagrams.current + ", " + model.datagrams.peak, "now 5, peak 9");
    ASSERT_EQ(model.time.size(), 6u);
    EXPECT_EQ(model.time[0].text + "@" + std::to_string(model.time[0].position), "now@" + std::to_string(right));
    EXPECT_EQ(model.time[5].text, "-5:00");

    // The edge: the latest capture time, moved on by the ticks since it last changed, across their wrap.
    capture::LiveEdge edge;
    EXPECT_EQ(edge.Edge(5 * kSecond, 1000), 5 * kSecond);
    EXPECT_EQ(edge.Edge(5 * kSecond, 2500), 6'500'000u);
    EXPECT_EQ(edge.Edge(6 * kSecond, 0xfffffc18u), 6 * kSecond);
    EXPECT_EQ(edge.Edge(6 * kSecond, 1000), 8 * kSecond);
}

} // namespace
