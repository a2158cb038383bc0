// The columns of the traffic list, and what the flow table tells the view that shows them.
#pragma once

#include <cstdint>

namespace capture {

class FlowTable;

// The columns of the traffic list.
enum TrafficColumn : int32_t {
    kColumnSourceHost = 0,
    kColumnSourcePort = 1,
    kColumnDestinationHost = 2,
    kColumnDestinationPort = 3,
    kColumnProtocol = 4,
    kColumnBytes = 5,
    kColumnIntervalBytes = 6,
    kColumnAverageRate = 7,
};
inline constexpr int32_t kTrafficColumnCount = 8;

// Where the table's rows and totals are shown. The view holds no rows of its own: it reorders the table's
// list and asks the table for the cells it shows.
class TrafficView {
public:
    virtual ~TrafficView() = default;
    // Rows came or went, or their figures changed; status: the new totals line, or null when unchanged.
    // Called on the capture thread (never while the table is locked), and at Clear.
    virtual void Refresh(FlowTable& table, const char* status) = 0;
};

} // namespace capture
