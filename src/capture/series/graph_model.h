// What the traffic graph shows, as plain data: the span of capture time, each plot's bars, its scale with
// the labels of its value axis, the current and peak values beside it, and the labels of the time axis.
// The window only draws it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/series/traffic_series.h"

namespace capture {

// A live graph shows the last five minutes of capture time.
inline constexpr uint64_t kLiveSpanSeconds = 300;

// Fixed parts of the graph, in pixels: the value labels to the left of the plots, the texts to their
// right, the time labels below them; the lines of text are this high.
struct GraphMetrics {
    static constexpr int kMargin = 6;
    static constexpr int kScaleWidth = 64;
    static constexpr int kTextWidth = 120;
    static constexpr int kLineHeight = 14;
    static constexpr int kPlotGap = 10;
    static constexpr int kMinLabelSpacing = 70; // between two time labels
};

struct GraphRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const GraphRect&) const = default;
};

// A label of an axis: on the value axis its position is the y of its value; on the time axis the x.
struct AxisLabel {
    int position = 0;
    std::string text;
    bool operator==(const AxisLabel&) const = default;
};

// The columns [left, right) of one bar, and its height above the plot's bottom. Bars of no traffic are left
// out.
struct GraphBar {
    int left = 0;
    int right = 0;
    int height = 0;
    bool operator==(const GraphBar&) const = default;
};

struct GraphPlot {
    std::string title;            // "Datagrams/s" or "Bytes/s"
    std::string current;          // "now 1.5k", "now 1.25 MB/s"
    std::string peak;             // "peak 3k", "peak 2 MB/s"
    GraphRect area;               // the plot: bars stand on its bottom edge
    double scaleMaximum = 1;      // the rate at its top edge, per second
    std::vector<AxisLabel> scale; // top, middle and bottom
    std::vector<GraphBar> bars;
};

struct GraphModel {
    uint64_t firstSecond = 0; // the span shown: spanSeconds seconds from firstSecond
    uint64_t spanSeconds = 0;
    uint64_t secondsPerBar = 1; // more than 1 when the span has more seconds than the plot has columns
    GraphPlot datagrams;
    GraphPlot bytes;
    std::vector<AxisLabel> time; // below the lower plot
};

// The part of the capture to show: the whole of it (a capture that has ended, or a file), or the last five
// minutes up to edgeTime (live, scrolling).
struct GraphSpan {
    bool live = false;
    uint64_t edgeTime = 0; // live: the capture time at the right edge, microseconds since 1970-01-01 UTC
};

// The graph for a client area of width x height pixels; plots of no area have no bars.
GraphModel BuildGraphModel(const TrafficSeries& series, GraphSpan span, int width, int height);

// The capture time at a live graph's right edge: the latest capture time counted, moved on by the wall time
// since it was last seen to change, so that the graph scrolls on while no datagram comes.
class LiveEdge {
public:
    void Reset() { m_seen = false; }
    // latestTime: the series' latest capture time; nowTick: a millisecond tick count (wrapping at 2^32).
    uint64_t Edge(uint64_t latestTime, uint32_t nowTick);

private:
    bool m_seen = false;
    uint64_t m_latest = 0;
    uint32_t m_tick = 0;
};

// Rates in readable units, up to three significant digits: "0", "0.5", "1.25", "12.5", "125", then with
// k, M, G, T for thousands, millions, billions and trillions ("1.5k").
std::string FormatCountRate(double perSecond);
// The same for bytes, 1000 bytes to the kB: "512 B/s", "1.25 kB/s", "3 MB/s".
std::string FormatByteRate(double perSecond);
// The smallest of 1, 2 and 5 times a power of ten that is at least value (1 for 0 and below).
double NiceCeiling(double value);
// A span of time as "m:ss" below an hour and "h:mm:ss" from there: "0:00", "0:20", "5:00", "1:00:00".
std::string FormatElapsed(uint64_t seconds);

} // namespace capture
