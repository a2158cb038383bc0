// The traffic list's rows and status text kept in memory: the view of tests, fuzzing and benchmarks.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "capture/traffic_view.h"

namespace capture {

class MemoryTrafficView final : public TrafficView, private ViewTarget {
public:
    struct Row {
        TrafficRecord* record = nullptr;
        std::array<std::string, kTrafficColumnCount> cells;
    };

    std::vector<Row> rows;
    std::string status;
    int redraws = 0;         // repaints with the background erased
    int batches = 0;         // batches applied
    bool refuseRows = false; // insertions fail while set, as in a list view out of memory

    void Apply(ViewBatch& batch) override {
        ++batches;
        ApplyBatch(batch, *this);
    }

private:
    int32_t RowCount() override { return static_cast<int32_t>(rows.size()); }
    int32_t InsertRow(int32_t index, const char* text, TrafficRecord* record) override {
        if (refuseRows || index < 0 || index > RowCount())
            return -1;
        Row row;
        row.record = record;
        row.cells[kColumnSourceHost] = text;
        rows.insert(rows.begin() + index, std::move(row));
        return index;
    }
    void SetCell(int32_t row, int32_t column, const char* text) override {
        if (row >= 0 && row < RowCount() && column >= 0 && column < kTrafficColumnCount)
            rows[static_cast<size_t>(row)].cells[static_cast<size_t>(column)] = text;
    }
    void DeleteRow(int32_t row) override {
        if (row >= 0 && row < RowCount())
            rows.erase(rows.begin() + row);
    }
    void DeleteAllRows() override { rows.clear(); }
    void RedrawAll() override { ++redraws; }
    void SetStatus(const char* text) override { status = text; }
};

} // namespace capture
