// The flows of a capture as CSV text, in the order of the reference flow tables.
#include "capture/flows/flow_csv.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace capture {

namespace {

auto ReferenceOrder(const FlowLine& line) {
    return std::make_tuple(HostOrder32(line.key.sourceAddress), HostOrder32(line.key.destinationAddress),
                           HostOrder16(line.key.sourcePort), HostOrder16(line.key.destinationPort), line.key.protocol);
}

} // namespace

std::string FormatFlowCsv(std::vector<FlowLine> flows) {
    std::sort(flows.begin(), flows.end(),
              [](const FlowLine& left, const FlowLine& right) { return ReferenceOrder(left) < ReferenceOrder(right); });
    return FormatFlowCsvInOrder(flows);
}

std::string FormatFlowLine(const FlowLine& line) {
    const uint32_t source = HostOrder32(line.key.sourceAddress);
    const uint32_t destination = HostOrder32(line.key.destinationAddress);
    char row[120];
    std::snprintf(row, sizeof row, "%u.%u.%u.%u,%u.%u.%u.%u,%u,%u,%u,%u,%u", source >> 24, source >> 16 & 0xff,
                  source >> 8 & 0xff, source & 0xff, destination >> 24, destination >> 16 & 0xff,
                  destination >> 8 & 0xff, destination & 0xff, HostOrder16(line.key.sourcePort),
                  HostOrder16(line.key.destinationPort), line.key.protocol, line.packets, line.bytes);
    return row;
}

std::string FormatFlowCsvInOrder(const std::vector<FlowLine>& flows) {
    std::string text(kFlowCsvColumns);
    text += '\n';
    for (const FlowLine& line : flows) {
        text += FormatFlowLine(line);
        text += '\n';
    }
    return text;
}

std::vector<FlowLine> FlowLinesOf(const FlowTable& table) {
    std::vector<FlowLine> lines;
    lines.reserve(table.RowCount());
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        lines.push_back({table.RowRecord(row).key, table.RowPackets(row), table.RowRecord(row).bytes});
    }
    return lines;
}

std::vector<FlowLine> FlowLinesInListOrder(const FlowTable& table) {
    std::vector<FlowLine> lines;
    table.VisitList([&lines](const FlowRow& row) {
        lines.push_back({row.record.key, LoadCount(row.packets), LoadCount(row.record.bytes)});
    });
    return lines;
}

} // namespace capture
