// A traffic view that keeps only the number of the list's rows: for tests and benchmarks of many rows,
// where anything more would cost more than the table itself.
#pragma once

#include <cstdint>

#include "capture/flows/flow_table.h"

namespace capture {

class CountingTrafficView final : public TrafficView {
public:
    int32_t rows = 0;

    void Refresh(FlowTable& table, const char*) override { rows = static_cast<int32_t>(table.Reorder()); }
};

} // namespace capture
