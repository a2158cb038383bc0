// The history of a capture's flows: one CSV line for every row as it leaves the flow table (idle, removed,
// or still there when the capture ends), with its final counts and its first and last capture time, appended
// to a file. So every flow that a capture saw is on record, also those the list no longer shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "capture/engine/output_file.h"
#include "capture/flows/flow_table.h"

namespace capture {

// The console's flow columns, then the capture times of the flow's first and last datagram.
inline constexpr std::string_view kHistoryCsvHeader = "src,dst,sport,dport,proto,packets,bytes,first_seen,last_seen\n";

// A capture time (microseconds since 1970-01-01 UTC) in ISO 8601, UTC, with microseconds:
// "2024-05-01T12:00:03.123456Z".
std::string FormatIsoTime(uint64_t microseconds);

// One row's history line, ending in "\n".
std::string FormatHistoryLine(const FlowRow& row);

// Appends the history lines to a file. Told by the flow table on the capture thread (and, at the capture's
// end, on the thread that ends it).
class FlowHistoryFile final : public FlowListener {
public:
    FlowHistoryFile() = default;
    FlowHistoryFile(const FlowHistoryFile&) = delete;
    FlowHistoryFile& operator=(const FlowHistoryFile&) = delete;

    // Opens the file for appending, creating it when missing; the header goes first when the file is new or
    // empty. False, with a sentence in error, when it cannot be opened.
    [[nodiscard]] bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return m_file.IsOpen(); }
    const std::string& Path() const { return m_file.Path(); }

    void OnCounted(const FlowRow&, uint32_t, uint64_t) override {}
    // The line of a row that left while the capture runs reaches the system at once, so that it survives
    // the program being ended; those of the rows left at the capture's end go together, at Close.
    void OnFlowEnded(const FlowRow& row, FlowEnd why) override;

    // Lines appended since Open.
    uint64_t Lines() const { return m_lines; }

    // Closes the file; false, with a sentence in error, when any write failed. True when none is open.
    [[nodiscard]] bool Close(std::string& error);

private:
    OutputFile m_file;
    uint64_t m_lines = 0;
};

} // namespace capture
