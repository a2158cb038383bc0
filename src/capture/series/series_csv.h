// The per-second series of a capture as CSV text: "second,datagrams,bytes", one line per second of capture
// time from the first counted datagram's to the last's, empty seconds as lines of 0.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "capture/engine/output_file.h"
#include "capture/series/traffic_series.h"

namespace capture {

inline constexpr std::string_view kSeriesCsvHeader = "second,datagrams,bytes\n";

// Hands the text to write in pieces of some tens of kilobytes (the header alone for an empty series), so a
// capture of many hours never needs its whole text in memory. False as soon as write returns false.
[[nodiscard]] bool WriteSeriesCsv(const TrafficSeries& series, const std::function<bool(std::string_view)>& write);

// A file for the series text: created (or emptied) first, so that a name that cannot be written is known
// before a capture starts, then filled and closed once the series is complete.
class SeriesCsvFile {
public:
    // False, with a sentence in error, when the file cannot be created.
    [[nodiscard]] bool Create(const std::string& path, std::string& error);
    // Writes the series and closes the file; false, with a sentence in error, when it could not all be
    // written (or no file was created).
    [[nodiscard]] bool Save(const TrafficSeries& series, std::string& error);

private:
    OutputFile m_file;
};

} // namespace capture
