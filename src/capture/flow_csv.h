// The flows of a capture as CSV text, in the order of the reference flow tables: addresses in numeric
// order, then the two words, then the protocol.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/flow_table.h"

namespace capture {

struct FlowLine {
    FlowKey key;
    uint32_t packets;
    uint32_t bytes;
};

// "src,dst,sport,dport,proto,packets,bytes" and one line per flow, sorted; lines end with "\n".
std::string FormatFlowCsv(std::vector<FlowLine> flows);

// The rows of a table as flow lines.
std::vector<FlowLine> FlowLinesOf(const FlowTable& table);

} // namespace capture
