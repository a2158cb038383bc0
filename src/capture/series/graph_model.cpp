// What the traffic graph shows, as plain data.
#include "capture/series/graph_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace capture {

namespace {

using M = GraphMetrics;

// Up to three significant digits of a value below 1000, without trailing zeros.
std::string ThreeDigits(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", value < 10 ? 2 : value < 100 ? 1 : 0, value);
    std::string shown = text;
    if (shown.find('.') != std::string::npos) {
        shown.erase(shown.find_last_not_of('0') + 1);
        if (shown.back() == '.') {
            shown.pop_back();
        }
    }
    return shown;
}

// The value in the largest of the units (each 1000 times the one before) that keeps it below 1000 once
// rounded, and that unit's index.
std::string Scaled(double value, int units, const char* const* names) {
    int unit = 0;
    while (unit + 1 < units && value >= 999.5) {
        value /= 1000;
        ++unit;
    }
    return ThreeDigits(value) + names[unit];
}

// The rate of a span: what it counted over the seconds of it that the capture covers.
double Rate(uint64_t count, uint64_t seconds) {
    return static_cast<double>(count) / static_cast<double>(std::max<uint64_t>(seconds, 1));
}

// A plot's bars, scale and texts from the rate of each bar.
void FillPlot(GraphPlot& plot, const std::vector<double>& rates, const std::vector<GraphBar>& places,
              std::string (*format)(double), double current, double peak) {
    const int height = plot.area.bottom - plot.area.top;
    double most = 0;
    for (double rate : rates) {
        most = std::max(most, rate);
    }
    plot.scaleMaximum = NiceCeiling(most);
    plot.scale = {{plot.area.top, format(plot.scaleMaximum)},
                  {plot.area.top + height / 2, format(plot.scaleMaximum / 2)},
                  {plot.area.bottom, format(0)}};
    for (std::size_t i = 0; i < rates.size(); ++i) {
        if (rates[i] <= 0) {
            continue;
        }
        // A bar of any traffic at all shows, however small beside the scale.
        const double pixels = std::round(rates[i] / plot.scaleMaximum * height);
        GraphBar bar = places[i];
        bar.height = std::clamp(static_cast<int>(pixels), 1, height);
        plot.bars.push_back(bar);
    }
    plot.current = "now " + format(current);
    plot.peak = "peak " + format(peak);
}

// The time axis: a label every step seconds, the step the shortest of a list that keeps the labels apart.
std::vector<AxisLabel> TimeLabels(const GraphModel& model, bool live, const GraphRect& area) {
    static constexpr uint64_t kSteps[] = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                                          600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
    const int width = area.right - area.left;
    const auto span = static_cast<double>(model.spanSeconds);
    uint64_t step = 0;
    for (uint64_t candidate : kSteps) {
        if (static_cast<double>(candidate) * width / span >= M::kMinLabelSpacing) {
            step = candidate;
            break;
        }
    }
    if (step == 0) { // whole days, as many as it takes
        const double days = std::ceil(M::kMinLabelSpacing * span / width / 86400);
        step = static_cast<uint64_t>(days) * 86400;
    }
    std::vector<AxisLabel> labels;
    for (uint64_t at = 0; at <= model.spanSeconds; at += step) {
        const auto offset = static_cast<int>(std::lround(static_cast<double>(at) * width / span));
        if (live) {
            std::string text = "now";
            if (at != 0) {
                text = FormatElapsed(at);
                text.insert(text.begin(), '-');
            }
            labels.push_back({area.right - offset, std::move(text)});
        } else {
            labels.push_back({area.left + offset, FormatElapsed(at)});
        }
    }
    return labels;
}

} // namespace

std::string FormatCountRate(double perSecond) {
    static constexpr const char* kNames[] = {"", "k", "M", "G", "T"};
    return Scaled(perSecond, 5, kNames);
}

std::string FormatByteRate(double perSecond) {
    static constexpr const char* kNames[] = {" B/s", " kB/s", " MB/s", " GB/s", " TB/s"};
    return Scaled(perSecond, 5, kNames);
}

double NiceCeiling(double value) {
    double power = 1;
    while (power * 10 < value) {
        power *= 10;
    }
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * power >= value) {
            return factor * power;
        }
    }
    return 10 * power;
}

std::string FormatElapsed(uint64_t seconds) {
    char text[40];
    const auto minutes = static_cast<unsigned long long>(seconds / 60 % 60);
    const auto rest = static_cast<unsigned long long>(seconds % 60);
    if (seconds < 3600) {
        std::snprintf(text, sizeof text, "%llu:%02llu", minutes, rest);
    } else {
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", static_cast<unsigned long long>(seconds / 3600), minutes,
                      rest);
    }
    return text;
}

uint64_t LiveEdge::Edge(uint64_t latestTime, uint32_t nowTick) {
    if (!m_seen || latestTime != m_latest) {
        m_seen = true;
        m_latest = latestTime;
        m_tick = nowTick;
    }
    return m_latest + uint64_t{nowTick - m_tick} * 1000;
}

GraphModel BuildGraphModel(const TrafficSeries& series, GraphSpan span, int width, int height) {
    GraphModel model;
    model.datagrams.title = "Datagrams/s";
    model.bytes.title = "Bytes/s";

    // Two plots of equal height, one above the other, sharing the time axis below them.
    const int left = M::kMargin + M::kScaleWidth;
    const int right = std::max(left, width - M::kMargin - M::kTextWidth);
    const int top = M::kMargin + M::kLineHeight / 2;
    const int plotHeight = std::max(0, (height - top - M::kPlotGap - M::kLineHeight - M::kMargin) / 2);
    model.datagrams.area = {left, top, right, top + plotHeight};
    model.bytes.area = {left, top + plotHeight + M::kPlotGap, right, top + 2 * plotHeight + M::kPlotGap};

    const bool empty = series.Empty();
    const uint64_t first = empty ? 0 : series.FirstSecond();
    uint64_t end = 0; // the first second after the span
    if (span.live) {
        // Up to the last whole second before the edge: the second in progress would show as a drop.
        end = span.edgeTime / kMicrosecondsPerSecond;
        model.firstSecond = end > kLiveSpanSeconds ? end - kLiveSpanSeconds : 0;
        model.spanSeconds = kLiveSpanSeconds;
        end = model.firstSecond + kLiveSpanSeconds;
    } else {
        end = empty ? 0 : series.LastSecond() + 1;
        model.firstSecond = first;
        model.spanSeconds = std::max<uint64_t>(end - first, 1);
    }
    const int columns = right - left;
    const SecondCounts peak = series.Peak();
    const uint64_t currentSecond = span.live ? (end > 0 ? end - 1 : 0) : (empty ? 0 : series.LastSecond());
    const SecondCounts current = series.At(currentSecond);
    std::vector<double> datagramRates;
    std::vector<double> byteRates;
    std::vector<GraphBar> places;
    if (columns > 0 && plotHeight > 0) {
        model.secondsPerBar = (model.spanSeconds + static_cast<uint64_t>(columns) - 1) / static_cast<uint64_t>(columns);
        const uint64_t bars = (model.spanSeconds + model.secondsPerBar - 1) / model.secondsPerBar;
        const std::vector<SecondCounts> sums =
            empty ? std::vector<SecondCounts>(static_cast<std::size_t>(bars))
                  : series.SumColumns(model.firstSecond, model.secondsPerBar, static_cast<std::size_t>(bars));
        for (uint64_t bar = 0; bar < bars; ++bar) {
            // A bar's rate is over the seconds it covers since the capture's first, up to the span's end.
            const uint64_t from = std::max(model.firstSecond + bar * model.secondsPerBar, first);
            const uint64_t to = std::min(model.firstSecond + (bar + 1) * model.secondsPerBar, end);
            const uint64_t seconds = to > from ? to - from : 1;
            const SecondCounts& sum = sums[static_cast<std::size_t>(bar)];
            datagramRates.push_back(Rate(sum.datagrams, seconds));
            byteRates.push_back(Rate(sum.bytes, seconds));
            places.push_back({left + static_cast<int>(bar * static_cast<uint64_t>(columns) / bars),
                              left + static_cast<int>((bar + 1) * static_cast<uint64_t>(columns) / bars), 0});
        }
        model.time = TimeLabels(model, span.live, model.bytes.area);
    }
    FillPlot(model.datagrams, datagramRates, places, FormatCountRate, static_cast<double>(current.datagrams),
             static_cast<double>(peak.datagrams));
    FillPlot(model.bytes, byteRates, places, FormatByteRate, static_cast<double>(current.bytes),
             static_cast<double>(peak.bytes));
    return model;
}

} // namespace capture
