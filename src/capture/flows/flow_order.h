// The order of the traffic list: the column it is sorted by and how each column's values compare.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "capture/flows/flow_row.h"

namespace capture {

inline constexpr int32_t kUnsorted = -1;

struct ListOrder {
    int32_t column = kUnsorted; // kUnsorted: the order in which the flows arrived
    bool descending = false;

    // The order after a click on a column's header: sorted by it, ascending; a second click reverses it.
    ListOrder Clicked(int32_t clickedColumn) const;
    bool operator==(const ListOrder&) const = default;
};

// What a row sorts by in a column: numbers as numbers, addresses and ports by value (in host byte order),
// the protocol by its number; an interval or rate column that shows nothing sorts before every number.
uint64_t SortKey(const FlowRow& row, int32_t column);

// The rows in the list's order; rows that compare equal keep their order in rows (arrival order).
std::vector<FlowRow*> OrderRows(const std::vector<std::unique_ptr<FlowRow>>& rows, ListOrder order);

} // namespace capture
