// The traffic list's view in the program: the host's owner-data list view and its status window.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>

#include "capture/flows/flow_table.h"

// The host's two windows; set before capture starts and kept alive until it has stopped. The list view is
// a report-style list with LVS_OWNERDATA and the eight columns, whose parent hands its notifications to
// capture::AnswerListNotify.
extern HWND trafficListView;
extern HWND statusWindow;

namespace capture {

// Refreshes trafficListView and statusWindow. While a refresh window is open (on the thread that owns the
// two windows) a refresh from the capture thread crosses to that thread as one synchronous message;
// otherwise it is made on the calling thread.
class ListViewTrafficView final : public TrafficView {
public:
    ListViewTrafficView() = default;
    ~ListViewTrafficView() override;
    ListViewTrafficView(const ListViewTrafficView&) = delete;
    ListViewTrafficView& operator=(const ListViewTrafficView&) = delete;

    void Refresh(FlowTable& table, const char* status) override;

    // Called on the windows' thread after every refresh through the refresh window that set the status text
    // (empty: nothing), so that a host shows figures of its own beside the totals as they change. Only while
    // no capture runs.
    void SetOnStatus(std::function<void()> onStatus) { m_onStatus = std::move(onStatus); }

    // Opens the refresh window on the calling thread; false when it cannot be created.
    bool OpenRefreshWindow();
    void CloseRefreshWindow();

private:
    static LRESULT CALLBACK RefreshWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    HWND m_refreshWindow = nullptr;
    std::function<void()> m_onStatus;
};

// Brings the list view up to date with the table (row count, order, the selection following its flows,
// a repaint) and sets the status text when one is given. On the thread that owns the windows.
void RefreshWindows(FlowTable& table, HWND listView, HWND status, const char* statusText);

// Answers what the list view asks its parent: the text of a cell (LVN_GETDISPINFO), and a click on a
// column's header (LVN_COLUMNCLICK), which sorts the list by that column, or reverses the order when it
// is sorted by it already. False for any other notification.
bool AnswerListNotify(FlowTable& table, const NMHDR& header, LRESULT& result);

// Shows the order's arrow on the sorted column's header, and none on the others.
void ShowSortArrow(HWND listView, ListOrder order);

} // namespace capture
