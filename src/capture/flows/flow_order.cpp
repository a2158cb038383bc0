// The order of the traffic list.
#include "capture/flows/flow_order.h"

#include <algorithm>

#include "capture/flows/traffic_view.h"

namespace capture {

namespace {

// Shown numbers sort after the empty cell, which has key 0.
uint64_t ShownNumber(bool shown, uint32_t value) {
    return shown ? uint64_t{value} + 1 : 0;
}

} // namespace

ListOrder ListOrder::Clicked(int32_t clickedColumn) const {
    if (clickedColumn == column) {
        return {column, !descending};
    }
    return {clickedColumn, false};
}

uint64_t SortKey(const FlowRow& row, int32_t column) {
    const FlowKey& key = row.record.key;
    switch (column) {
    case kColumnSourceHost:
        return HostOrder32(key.sourceAddress);
    case kColumnSourcePort:
        return HostOrder16(key.sourcePort);
    case kColumnDestinationHost:
        return HostOrder32(key.destinationAddress);
    case kColumnDestinationPort:
        return HostOrder16(key.destinationPort);
    case kColumnProtocol:
        return key.protocol;
    case kColumnBytes:
        return LoadCount(row.record.bytes);
    case kColumnIntervalBytes:
        return ShownNumber(row.intervalShown, row.interval);
    case kColumnAverageRate:
        return ShownNumber(row.rateShown, row.rate);
    default:
        return 0;
    }
}

std::vector<FlowRow*> OrderRows(const std::vector<std::unique_ptr<FlowRow>>& rows, ListOrder order) {
    std::vector<FlowRow*> ordered;
    ordered.reserve(rows.size());
    if (order.column == kUnsorted || order.column < 0 || order.column >= kTrafficColumnCount) {
        for (const std::unique_ptr<FlowRow>& row : rows) {
            ordered.push_back(row.get());
        }
        return ordered;
    }
    // The keys are taken once: a count may change while the rows are sorted.
    struct Entry {
        uint64_t key;
        FlowRow* row;
    };
    std::vector<Entry> entries;
    entries.reserve(rows.size());
    for (const std::unique_ptr<FlowRow>& row : rows) {
        entries.push_back({SortKey(*row, order.column), row.get()});
    }
    if (order.descending) {
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& left, const Entry& right) { return left.key > right.key; });
    } else {
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& left, const Entry& right) { return left.key < right.key; });
    }
    for (const Entry& entry : entries) {
        ordered.push_back(entry.row);
    }
    return ordered;
}

} // namespace capture
