// The per-second series of a capture as CSV text: "second,datagrams,bytes", one line per second of capture
// time from the first counted datagram's to the last's, empty seconds as lines of 0.
#pragma once

#include <functional>
#include <string_view>

#include "capture/series/traffic_series.h"

namespace capture {

inline constexpr std::string_view kSeriesCsvHeader = "second,datagrams,bytes\n";

// Hands the text to write in pieces of some tens of kilobytes (the header alone for an empty series), so a
// capture of many hours never needs its whole text in memory. False as soon as write returns false.
[[nodiscard]] bool WriteSeriesCsv(const TrafficSeries& series, const std::function<bool(std::string_view)>& write);

} // namespace capture
