// What the traffic list shows its rows and totals on, and the batches of changes it sends there: one
// batch per refresh instead of one window message per cell, so that a busy capture stays cheap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

struct TrafficRecord;

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

enum class ViewOpKind : uint8_t {
    AppendRow,     // a row at the end, its record as item data, then its columns 2, 4, 5, 1 and 3
    SetCell,       // one cell's text
    DeleteRow,     // one row (the rows after it move up)
    DeleteAllRows, // every row in one operation
    SetStatus,     // the status window's text
};

struct ViewOp {
    ViewOpKind kind;
    int32_t row;
    int32_t column;
    uint32_t textOffset; // into the batch's text; AppendRow: six texts, one after the other
    TrafficRecord* record;
};

// Changes in the order they must be made. Row numbers count as the rows stand when that change is made.
class ViewBatch {
public:
    // Texts of columns 0, 2, 4, 5, 1 and 3, in this order.
    void AppendRow(TrafficRecord* record, const char* const (&texts)[6]);
    void SetCell(int32_t row, int32_t column, const char* text);
    void DeleteRow(int32_t row);
    void DeleteAllRows();
    void SetStatus(const char* text);

    void Clear();
    bool Empty() const { return m_ops.empty(); }
    const std::vector<ViewOp>& Ops() const { return m_ops; }
    const char* Text(uint32_t offset) const { return m_text.data() + offset; }
    // Where the view put each appended row, in the order of the AppendRow operations; -1 = refused.
    std::vector<int32_t> appendedRows;

private:
    uint32_t AddText(const char* text);

    std::vector<ViewOp> m_ops;
    std::string m_text;
};

// The primitive operations of a list view and a status window.
class ViewTarget {
public:
    virtual ~ViewTarget() = default;
    virtual int32_t RowCount() = 0;
    // Inserts a row at index with the text of column 0 and the record as item data; its index or -1.
    virtual int32_t InsertRow(int32_t index, const char* text, TrafficRecord* record) = 0;
    virtual void SetCell(int32_t row, int32_t column, const char* text) = 0;
    virtual void DeleteRow(int32_t row) = 0;
    virtual void DeleteAllRows() = 0;
    // Repaints the whole list with its background erased.
    virtual void RedrawAll() = 0;
    virtual void SetStatus(const char* text) = 0;
};

// Makes the batch's changes on a target. A row appended to an empty list makes the list repaint with its
// background erased; the columns of a refused row are skipped.
void ApplyBatch(ViewBatch& batch, ViewTarget& target);

// Where the traffic list sends its batches.
class TrafficView {
public:
    virtual ~TrafficView() = default;
    virtual void Apply(ViewBatch& batch) = 0;
};

} // namespace capture
