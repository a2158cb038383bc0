// Batches of list and status changes, and how they are made on a list view and a status window.
#include "capture/traffic_view.h"

namespace capture {

namespace {

// Columns that an appended row's texts fill after column 0, in the order they are set.
constexpr int32_t kAppendedColumns[] = {kColumnDestinationHost, kColumnProtocol, kColumnBytes, kColumnSourcePort,
                                        kColumnDestinationPort};

} // namespace

uint32_t ViewBatch::AddText(const char* text) {
    const auto offset = static_cast<uint32_t>(m_text.size());
    m_text.append(text);
    m_text.push_back('\0');
    return offset;
}

void ViewBatch::AppendRow(TrafficRecord* record, const char* const (&texts)[6]) {
    const uint32_t offset = AddText(texts[0]);
    for (int i = 1; i < 6; ++i)
        (void)AddText(texts[i]);
    m_ops.push_back({ViewOpKind::AppendRow, -1, 0, offset, record});
}

void ViewBatch::SetCell(int32_t row, int32_t column, const char* text) {
    m_ops.push_back({ViewOpKind::SetCell, row, column, AddText(text), nullptr});
}

void ViewBatch::DeleteRow(int32_t row) {
    m_ops.push_back({ViewOpKind::DeleteRow, row, 0, 0, nullptr});
}

void ViewBatch::DeleteAllRows() {
    m_ops.push_back({ViewOpKind::DeleteAllRows, 0, 0, 0, nullptr});
}

void ViewBatch::SetStatus(const char* text) {
    m_ops.push_back({ViewOpKind::SetStatus, 0, 0, AddText(text), nullptr});
}

void ViewBatch::Clear() {
    m_ops.clear();
    m_text.clear();
    appendedRows.clear();
}

void ApplyBatch(ViewBatch& batch, ViewTarget& target) {
    batch.appendedRows.clear();
    // Asked once; the changes below keep it up to date.
    int32_t rows = -1;
    for (const ViewOp& op : batch.Ops()) {
        switch (op.kind) {
        case ViewOpKind::AppendRow: {
            if (rows < 0)
                rows = target.RowCount();
            const int32_t rowsBefore = rows;
            const char* text = batch.Text(op.textOffset);
            const int32_t row = target.InsertRow(rowsBefore, text, op.record);
            batch.appendedRows.push_back(row);
            if (row >= 0) {
                ++rows;
                for (int32_t column : kAppendedColumns) {
                    text += std::char_traits<char>::length(text) + 1;
                    target.SetCell(row, column, text);
                }
            }
            if (rowsBefore == 0)
                target.RedrawAll();
            break;
        }
        case ViewOpKind::SetCell:
            target.SetCell(op.row, op.column, batch.Text(op.textOffset));
            break;
        case ViewOpKind::DeleteRow:
            target.DeleteRow(op.row);
            rows = -1;
            break;
        case ViewOpKind::DeleteAllRows:
            target.DeleteAllRows();
            rows = 0;
            break;
        case ViewOpKind::SetStatus:
            target.SetStatus(batch.Text(op.textOffset));
            break;
        }
    }
}

} // namespace capture
