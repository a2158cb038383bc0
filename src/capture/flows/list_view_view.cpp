// The traffic list's view in the program: the host's owner-data list view and its status window.
#include "capture/flows/list_view_view.h"

#include <vector>

HWND trafficListView = nullptr;
HWND statusWindow = nullptr;

namespace capture {

namespace {

constexpr char kRefreshWindowClass[] = "BrisklaneTrafficRefresh";
constexpr UINT kRefreshMessage = WM_APP + 1;

struct RefreshRequest {
    FlowTable* table;
    const char* status;
    const std::function<void()>* onStatus;
};

std::vector<int32_t> SelectedRows(HWND listView) {
    std::vector<int32_t> selected;
    if (SendMessageA(listView, LVM_GETSELECTEDCOUNT, 0, 0) == 0) {
        return selected;
    }
    int32_t row = -1;
    while ((row = static_cast<int32_t>(
                SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0) {
        selected.push_back(row);
    }
    return selected;
}

void SetRowState(HWND listView, int32_t row, UINT state, UINT mask) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    (void)SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

} // namespace

void RefreshWindows(FlowTable& table, HWND listView, HWND status, const char* statusText) {
    if (listView != nullptr) {
        const auto before = static_cast<int32_t>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
        // The focused row goes last, so that it follows its flow with the selected ones.
        std::vector<int32_t> rows = SelectedRows(listView);
        const auto focused =
            static_cast<int32_t>(SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        if (focused >= 0) {
            rows.push_back(focused);
        }
        const std::vector<int32_t> was = rows;
        const std::size_t count = table.Reorder(&rows);
        (void)SendMessageA(listView, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        if (rows != was) {
            SetRowState(listView, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const bool isFocus = focused >= 0 && i + 1 == rows.size();
                if (rows[i] >= 0) {
                    SetRowState(listView, rows[i], isFocus ? LVIS_FOCUSED : LVIS_SELECTED,
                                isFocus ? LVIS_FOCUSED : LVIS_SELECTED);
                }
            }
        }
        // The first rows of an empty list repaint it with its background erased.
        (void)InvalidateRect(listView, nullptr, before == 0 ? TRUE : FALSE);
    }
    if (statusText != nullptr && status != nullptr) {
        (void)SendMessageA(status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(statusText));
    }
}

bool AnswerListNotify(FlowTable& table, const NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case LVN_GETDISPINFOA: {
        LVITEMA& item = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header)).item;
        if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
            (void)table.CellText(static_cast<std::size_t>(item.iItem), item.iSubItem, item.pszText,
                                 static_cast<std::size_t>(item.cchTextMax));
        }
        result = 0;
        return true;
    }
    case LVN_COLUMNCLICK: {
        const auto& click = reinterpret_cast<const NMLISTVIEW&>(header);
        const ListOrder order = table.Order().Clicked(click.iSubItem);
        table.SortBy(order);
        ShowSortArrow(header.hwndFrom, order);
        RefreshWindows(table, header.hwndFrom, nullptr, nullptr);
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

void ShowSortArrow(HWND listView, ListOrder order) {
    HWND headerControl = reinterpret_cast<HWND>(SendMessageA(listView, LVM_GETHEADER, 0, 0));
    const auto columns = static_cast<int32_t>(SendMessageA(headerControl, HDM_GETITEMCOUNT, 0, 0));
    for (int32_t column = 0; column < columns; ++column) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        (void)SendMessageA(headerControl, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == order.column) {
            item.fmt |= order.descending ? HDF_SORTDOWN : HDF_SORTUP;
        }
        (void)SendMessageA(headerControl, HDM_SETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
}

ListViewTrafficView::~ListViewTrafficView() {
    CloseRefreshWindow();
}

LRESULT CALLBACK ListViewTrafficView::RefreshWindowProc(HWND window, UINT message, WPARAM wParam,
                                                        LPARAM lParam) noexcept {
    if (message == kRefreshMessage) {
        // The capture thread sent this: nothing may unwind through SendMessage back to it. A refresh that
        // failed half-way leaves the list as it got; the next one brings it up to date.
        try {
            const auto& request = *reinterpret_cast<const RefreshRequest*>(lParam);
            RefreshWindows(*request.table, trafficListView, statusWindow, request.status);
            if (request.status != nullptr && *request.onStatus) {
                (*request.onStatus)();
            }
        } catch (...) {
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ListViewTrafficView::OpenRefreshWindow() {
    CloseRefreshWindow();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RefreshWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kRefreshWindowClass;
    (void)RegisterClassA(&windowClass); // fails harmlessly once the class exists
    m_refreshWindow = CreateWindowExA(0, kRefreshWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
    return m_refreshWindow != nullptr;
}

void ListViewTrafficView::CloseRefreshWindow() {
    if (m_refreshWindow != nullptr) {
        (void)DestroyWindow(m_refreshWindow);
        m_refreshWindow = nullptr;
    }
}

void ListViewTrafficView::Refresh(FlowTable& table, const char* status) {
    if (m_refreshWindow != nullptr) {
        RefreshRequest request{&table, status, &m_onStatus};
        (void)SendMessageA(m_refreshWindow, kRefreshMessage, 0, reinterpret_cast<LPARAM>(&request));
    } else {
        RefreshWindows(table, trafficListView, statusWindow, status);
    }
}

} // namespace capture
