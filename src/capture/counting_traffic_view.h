// A traffic view that takes every row and keeps only their number: for tests and benchmarks of many
// rows, where what the view holds would cost more than the table itself.
#pragma once

#include "capture/traffic_view.h"

namespace capture {

class CountingTrafficView final : public TrafficView, private ViewTarget {
public:
    int32_t rows = 0;

    void Apply(ViewBatch& batch) override { ApplyBatch(batch, *this); }

private:
    int32_t RowCount() override { return rows; }
    int32_t InsertRow(int32_t index, const char*, TrafficRecord*) override {
        ++rows;
        return index;
    }
    void SetCell(int32_t, int32_t, const char*) override {}
    void DeleteRow(int32_t) override { --rows; }
    void DeleteAllRows() override { rows = 0; }
    void RedrawAll() override {}
    void SetStatus(const char*) override {}
};

} // namespace capture
