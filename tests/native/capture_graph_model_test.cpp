// What the traffic graph shows: readable units, its scales, the whole of a capture (widened to fit), the
// last five minutes of a live one, and the edge that moves on while nothing comes.
#include "capture/series/graph_model.h"

#include <gtest/gtest.h>

namespace {

using capture::BuildGraphModel;
using capture::GraphBar;
using capture::GraphModel;
using capture::GraphSpan;
using capture::TrafficSeries;
using M = capture::GraphMetrics;

constexpr uint64_t kSecond = 1'000'000;
constexpr uint64_t kStart = 1'700'000'000; // a second of capture time

// A graph whose plots are `columns` pixels wide and each 100 high.
constexpr int Width(int columns) {
    return columns + 2 * M::kMargin + M::kScaleWidth + M::kTextWidth;
}
constexpr int kHeight = 2 * 100 + M::kMargin + M::kLineHeight / 2 + M::kPlotGap + M::kLineHeight + M::kMargin;

// `datagrams` datagrams of `length` bytes in the given second after kStart.
void Count(TrafficSeries& series, uint64_t second, uint32_t datagrams, uint32_t length) {
    for (uint32_t i = 0; i < datagrams; ++i) {
        series.OnCounted(capture::FlowRow{}, length, (kStart + second) * kSecond + i);
    }
}

TEST(TrafficGraphModel, RatesReadInUnitsWithUpToThreeDigits) {
    const struct {
        double rate;
        const char* count;
        const char* bytes;
    } cases[] = {
        {0, "0", "0 B/s"},
        {0.5, "0.5", "0.5 B/s"},
        {1, "1", "1 B/s"},
        {12.5, "12.5", "12.5 B/s"},
        {999, "999", "999 B/s"},
        {999.6, "1k", "1 kB/s"},
        {1250, "1.25k", "1.25 kB/s"},
        {2'500'000, "2.5M", "2.5 MB/s"},
        {1'234'567'890, "1.23G", "1.23 GB/s"},
        {5e15, "5000T", "5000 TB/s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        EXPECT_EQ(capture::FormatCountRate(c.rate), c.count);
        EXPECT_EQ(capture::FormatByteRate(c.rate), c.bytes);
    }
}

TEST(TrafficGraphModel, ScalesEndAtOneTwoOrFiveTimesAPowerOfTen) {
    const std::pair<double, double> cases[] = {{0, 1},  {0.3, 1}, {1, 1},      {1.1, 2},     {2, 2},     {2.1, 5},
                                               {7, 10}, {11, 20}, {999, 1000}, {1001, 2000}, {4e6, 5e6}, {5.5e9, 1e10}};
    for (const auto& [value, ceiling] : cases) {
        EXPECT_EQ(capture::NiceCeiling(value), ceiling) << value;
    }
    const std::pair<uint64_t, const char*> times[] = {{0, "0:00"},     {20, "0:20"},      {300, "5:00"},
                                                      {3599, "59:59"}, {3600, "1:00:00"}, {90061, "25:01:01"}};
    for (const auto& [seconds, text] : times) {
        EXPECT_EQ(capture::FormatElapsed(seconds), text);
    }
}

TEST(TrafficGraphModel, AWholeCaptureThatFitsHasABarPerSecond) {
    TrafficSeries series;
    Count(series, 0, 10, 100);
    Count(series, 2, 40, 1000); // the peak: 40 datagrams, 40 kB
    Count(series, 9, 3, 50);    // the last second
    const GraphModel model = BuildGraphModel(series, {}, Width(600), kHeight);

    EXPECT_EQ(model.firstSecond, kStart);
    EXPECT_EQ(model.spanSeconds, 10u);
    EXPECT_EQ(model.secondsPerBar, 1u);
    const capture::GraphRect& area = model.datagrams.area;
    EXPECT_EQ(area.right - area.left, 600);
    EXPECT_EQ(area.bottom - area.top, 100);
    EXPECT_EQ(model.bytes.area.top, area.bottom + M::kPlotGap);
    // 60 columns a second; heights against scales of 50 datagrams and 50 kB a second.
    EXPECT_EQ(model.datagrams.bars, (std::vector<GraphBar>{{area.left, area.left + 60, 20},
                                                           {area.left + 120, area.left + 180, 80},
                                                           {area.left + 540, area.left + 600, 6}}));
    EXPECT_EQ(model.bytes.bars, (std::vector<GraphBar>{{area.left, area.left + 60, 2},
                                                       {area.left + 120, area.left + 180, 80},
                                                       {area.left + 540, area.left + 600, 1}}))
        << "any traffic shows at least one pixel high";
    EXPECT_EQ(model.datagrams.scale,
              (std::vector<capture::AxisLabel>{{area.top, "50"}, {area.top + 50, "25"}, {area.bottom, "0"}}));
    EXPECT_EQ(model.bytes.scale[0].text, "50 kB/s");
    EXPECT_EQ(model.bytes.scale[1].text, "25 kB/s");
    EXPECT_EQ(model.datagrams.current, "now 3");
    EXPECT_EQ(model.bytes.current, "now 150 B/s");
    EXPECT_EQ(model.datagrams.peak, "peak 40");
    EXPECT_EQ(model.bytes.peak, "peak 40 kB/s");
    // Labels from the capture's first second, every 2 s: a second's 60 columns would crowd them.
    ASSERT_EQ(model.time.size(), 6u);
    EXPECT_EQ(model.time[0].position, area.left);
    EXPECT_EQ(model.time[0].text, "0:00");
    EXPECT_EQ(model.time[1].position, area.left + 120);
    EXPECT_EQ(model.time[5].text, "0:10");
}

TEST(TrafficGraphModel, AWholeCaptureLongerThanTheGraphIsWideHasWiderBins) {
    TrafficSeries series;
    Count(series, 0, 1, 100);
    Count(series, 1000, 400, 100); // a burst at 1000 s
    Count(series, 1999, 1, 100);
    const GraphModel model = BuildGraphModel(series, {}, Width(500), kHeight);
    EXPECT_EQ(model.spanSeconds, 2000u);
    EXPECT_EQ(model.secondsPerBar, 4u);
    const int left = model.datagrams.area.left;
    // The burst, over the four seconds of its bar: 100 a second, the top of the scale.
    ASSERT_EQ(model.datagrams.bars.size(), 3u);
    EXPECT_EQ(model.datagrams.bars[1], (GraphBar{left + 250, left + 251, 100}));
    EXPECT_EQ(model.datagrams.scale[0].text, "100");
    EXPECT_EQ(model.datagrams.peak, "peak 400") << "the peak is of one second";
    EXPECT_EQ(model.datagrams.bars[2].right, left + 500);
    // Labels at least 70 columns apart: every 5 minutes (75 columns).
    EXPECT_EQ(model.time[1].text, "5:00");
    EXPECT_EQ(model.time[1].position, left + 75);
}

TEST(TrafficGraphModel, ALiveGraphShowsTheLastFiveMinutesUpToItsEdge) {
    TrafficSeries series;
    Count(series, 0, 7, 100);   // more than five minutes before the edge: gone from the graph
    Count(series, 500, 5, 100); // the last whole second before the edge
    Count(series, 501, 9, 100); // the second in progress at the edge: not shown yet
    const GraphSpan span{true, (kStart + 501) * kSecond + 400'000};
    const GraphModel model = BuildGraphModel(series, span, Width(600), kHeight);
    EXPECT_EQ(model.firstSecond, kStart + 201);
    EXPECT_EQ(model.spanSeconds, 300u);
    EXPECT_EQ(model.secondsPerBar, 1u);
    const int right = model.datagrams.area.right;
    EXPECT_EQ(model.datagrams.bars, (std::vector<GraphBar>{{right - 2, right, 100}}));
    EXPECT_EQ(model.datagrams.current, "now 5");
    EXPECT_EQ(model.datagrams.peak, "peak 9");
    ASSERT_EQ(model.time.size(), 6u);
    EXPECT_EQ(model.time[0].text, "now");
    EXPECT_EQ(model.time[0].position, right);
    EXPECT_EQ(model.time[5].text, "-5:00");
    EXPECT_EQ(model.time[5].position, model.datagrams.area.left);

    // Nothing counted yet, or no room to draw: scales and texts, no bars.
    const TrafficSeries empty;
    const GraphModel idle = BuildGraphModel(empty, {true, 0}, Width(600), kHeight);
    EXPECT_TRUE(idle.datagrams.bars.empty());
    EXPECT_EQ(idle.datagrams.scale[0].text, "1");
    EXPECT_EQ(idle.bytes.current, "now 0 B/s");
    for (const auto& [width, height] : {std::pair{0, 0}, std::pair{Width(0), kHeight}, std::pair{Width(600), 20}}) {
        const GraphModel cramped = BuildGraphModel(series, {}, width, height);
        EXPECT_TRUE(cramped.datagrams.bars.empty() && cramped.bytes.bars.empty()) << width << "x" << height;
    }
}

TEST(TrafficGraphModel, TheLiveEdgeMovesOnWithTheClockWhileNoDatagramComes) {
    capture::LiveEdge edge;
    EXPECT_EQ(edge.Edge(5 * kSecond, 1000), 5 * kSecond);
    EXPECT_EQ(edge.Edge(5 * kSecond, 2500), 6'500'000u);
    EXPECT_EQ(edge.Edge(6 * kSecond, 2600), 6 * kSecond) << "a new datagram sets the edge again";
    EXPECT_EQ(edge.Edge(6 * kSecond, 2600 + 10'000), 16 * kSecond);
    EXPECT_EQ(edge.Edge(7 * kSecond, 0xfffffc18u), 7 * kSecond);
    EXPECT_EQ(edge.Edge(7 * kSecond, 1000), 9 * kSecond) << "across the tick count's wrap";
    edge.Reset();
    EXPECT_EQ(edge.Edge(7 * kSecond, 50'000), 7 * kSecond);
}

} // namespace
