// The traffic list's view kept in memory: the view of tests, fuzzing and benchmarks. Like the program's list
// view it holds no rows: each refresh reorders the table's list, and cells are read from the table.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "capture/flows/flow_table.h"

namespace capture {

class MemoryTrafficView final : public TrafficView {
public:
    std::size_t rows = 0;          // the list's rows as of the last refresh
    std::string status;            // the last totals line
    int refreshes = 0;             // refreshes asked for by the table
    std::vector<int32_t> selected; // selected positions, carried across refreshes as a list view's are

    void Refresh(FlowTable& table, const char* statusText) override {
        ++refreshes;
        rows = table.Reorder(&selected);
        std::erase(selected, -1);
        if (statusText != nullptr) {
            status = statusText;
        }
    }

    // A cell as the list would show it now.
    static std::string Cell(const FlowTable& table, std::size_t row, int32_t column) {
        char text[300];
        (void)table.CellText(row, column, text, sizeof text);
        return text;
    }
};

} // namespace capture
