// The traffic list's view in the program: the host's report-style list view and its status window.
#include "capture/list_view_view.h"

#include <commctrl.h>

HWND trafficListView = nullptr;
HWND statusWindow = nullptr;

namespace capture {

namespace {

constexpr char kBatchWindowClass[] = "BrisklaneTrafficBatches";
constexpr UINT kApplyBatchMessage = WM_APP + 1;

class WindowsTarget final : public ViewTarget {
public:
    WindowsTarget(HWND listView, HWND status) : m_listView(listView), m_status(status) {}

    int32_t RowCount() override { return static_cast<int32_t>(SendMessageA(m_listView, LVM_GETITEMCOUNT, 0, 0)); }
    int32_t InsertRow(int32_t index, const char* text, TrafficRecord* record) override {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = index;
        item.pszText = const_cast<char*>(text);
        item.lParam = reinterpret_cast<LPARAM>(record);
        return static_cast<int32_t>(SendMessageA(m_listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    void SetCell(int32_t row, int32_t column, const char* text) override {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = const_cast<char*>(text);
        (void)SendMessageA(m_listView, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    void DeleteRow(int32_t row) override {
        (void)SendMessageA(m_listView, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    }
    void DeleteAllRows() override { (void)SendMessageA(m_listView, LVM_DELETEALLITEMS, 0, 0); }
    // Painting is held back while a batch is made; the repaint after it erases the background.
    void RedrawAll() override { m_eraseRequested = true; }
    bool EraseRequested() const { return m_eraseRequested; }
    void SetStatus(const char* text) override {
        (void)SendMessageA(m_status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }

private:
    HWND m_listView;
    HWND m_status;
    bool m_eraseRequested = false;
};

} // namespace

void ApplyToWindows(ViewBatch& batch, HWND listView, HWND status) {
    WindowsTarget target(listView, status);
    bool listChanges = false;
    for (const ViewOp& op : batch.Ops())
        listChanges = listChanges || op.kind != ViewOpKind::SetStatus;
    if (!listChanges || listView == nullptr) {
        ApplyBatch(batch, target);
        return;
    }
    // Painting is held back while the changes are made, then the list repaints once: a list view that
    // repaints and rescrolls for every change is slow, very much so under Wine.
    (void)SendMessageA(listView, WM_SETREDRAW, FALSE, 0);
    ApplyBatch(batch, target);
    (void)SendMessageA(listView, WM_SETREDRAW, TRUE, 0);
    (void)InvalidateRect(listView, nullptr, target.EraseRequested() ? TRUE : FALSE);
}

ListViewTrafficView::~ListViewTrafficView() {
    CloseBatchWindow();
}

LRESULT CALLBACK ListViewTrafficView::BatchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kApplyBatchMessage) {
        ApplyToWindows(*reinterpret_cast<ViewBatch*>(lParam), trafficListView, statusWindow);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ListViewTrafficView::OpenBatchWindow() {
    CloseBatchWindow();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = BatchWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kBatchWindowClass;
    (void)RegisterClassA(&windowClass); // fails harmlessly once the class exists
    m_batchWindow = CreateWindowExA(0, kBatchWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
    return m_batchWindow != nullptr;
}

void ListViewTrafficView::CloseBatchWindow() {
    if (m_batchWindow != nullptr) {
        (void)DestroyWindow(m_batchWindow);
        m_batchWindow = nullptr;
    }
}

void ListViewTrafficView::Apply(ViewBatch& batch) {
    if (m_batchWindow != nullptr)
        (void)SendMessageA(m_batchWindow, kApplyBatchMessage, 0, reinterpret_cast<LPARAM>(&batch));
    else
        ApplyToWindows(batch, trafficListView, statusWindow);
}

} // namespace capture
