// The flows of a capture as CSV text, in the order of the reference flow tables (addresses in numeric
// order, then the two words, then the protocol) or in the order of the list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "capture/flows/flow_table.h"

namespace capture {

struct FlowLine {
    FlowKey key;
    uint32_t packets;
    uint32_t bytes;
};

// The header's columns, without the line end.
inline constexpr std::string_view kFlowCsvColumns = "src,dst,sport,dport,proto,packets,bytes";

// One flow as "10.0.0.1,10.0.0.2,1024,80,6,3,180", without the line end.
std::string FormatFlowLine(const FlowLine& line);

// "src,dst,sport,dport,proto,packets,bytes" and one line per flow, sorted; lines end with "\n".
std::string FormatFlowCsv(std::vector<FlowLine> flows);

// The same lines in the order given.
std::string FormatFlowCsvInOrder(const std::vector<FlowLine>& flows);

// The rows of a table as flow lines, in arrival order.
std::vector<FlowLine> FlowLinesOf(const FlowTable& table);

// The rows of the table's list as flow lines, in the list's order (safe while capture runs).
std::vector<FlowLine> FlowLinesInListOrder(const FlowTable& table);

} // namespace capture
