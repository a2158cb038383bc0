// The traffic list's view in the program: the host's report-style list view and its status window.
#pragma once

#include <windows.h>

#include "capture/traffic_view.h"

// The host's two windows; set before capture starts and kept alive until it has stopped.
extern HWND trafficListView;
extern HWND statusWindow;

namespace capture {

// Makes batches on trafficListView and statusWindow. While a batch window is open (on the thread that owns
// the two windows) a batch crosses to that thread as one synchronous message and is made there by direct
// calls; otherwise every change is its own message.
class ListViewTrafficView final : public TrafficView {
public:
    ListViewTrafficView() = default;
    ~ListViewTrafficView() override;
    ListViewTrafficView(const ListViewTrafficView&) = delete;
    ListViewTrafficView& operator=(const ListViewTrafficView&) = delete;

    void Apply(ViewBatch& batch) override;

    // Opens the batch window on the calling thread; false when it cannot be created (batches then go
    // change by change).
    bool OpenBatchWindow();
    void CloseBatchWindow();

private:
    static LRESULT CALLBACK BatchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_batchWindow = nullptr;
};

// Makes one batch on the two windows from the calling thread.
void ApplyToWindows(ViewBatch& batch, HWND listView, HWND status);

} // namespace capture
