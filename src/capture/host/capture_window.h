// The capture host's window: adapter choice, start and stop, the filter, name and log settings, the graph of
// the traffic over time, the list of flows and the status line with the totals, the account of every frame
// and what the capture dropped.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "capture/flows/flow_history.h"
#include "capture/host/traffic_graph.h"
#include "capture/host/window_export.h"
#include "capture/names/name_resolver.h"
#include "capture/series/traffic_series.h"
#include "framework/wnd.h"

class CCmdUI;
class CMenu;

class CCaptureWindow : public CWnd {
public:
    CCaptureWindow() = default;
    ~CCaptureWindow() override;

    // Creates the window with its controls, placed as the settings say; shown only when visible is true.
    bool Create(bool visible);

    void SetAdapter(const std::string& adapter);
    // Where the received packets are saved (the "Save packets to..." box).
    void SetPacketsFile(const std::string& path);
    // Starts capture on the adapter in the adapter box; false when the engine refused (it has said why).
    bool StartCapturing();
    // lastLook: see StopCapture.
    void StopCapturing(const std::function<void()>& lastLook = {});
    bool Capturing() const { return m_capturing; }

    // The flows of the list as CSV (see capture/flows/flow_csv.h) and the status line; false when the list
    // and the traffic list's table disagree (which would be a fault), with the reason in csv.
    bool ReadFlows(std::string& csv, std::string& status) const;

    // Writes the list's flows, in the list's order, as CSV to the file; false when it cannot be written.
    bool ExportFlows(const std::string& path) const;

    // Writes the per-second series of the current or last capture as CSV; false, with a sentence in error,
    // when it cannot be written.
    [[nodiscard]] bool SaveSeries(const std::string& path, std::string& error) const;

    // Has the graph show the series as it stands now (see CTrafficGraph::Refresh).
    void RefreshGraph();
    // The time the graph has spent painting since the window was made, in seconds.
    double GraphPaintSeconds() const { return m_graph.PaintSeconds(); }

protected:
    const fw::MessageMap* GetMessageMap() const override;
    static const fw::MessageMap* GetThisMessageMap();
    void PostNcDestroy() override;

private:
    // A child control with the default GUI font; parent null: this window.
    HWND AddControl(const char* className, const char* text, DWORD style, int id, int x, int y, int width, int height,
                    HWND parent = nullptr);
    void CreateControls();
    void CreateColumns();
    void LayOut();
    // The series, and the history when a file for it is chosen, listen to theTrafficList during a capture.
    // False, after a message box has said why, when the history file cannot be opened.
    [[nodiscard]] bool StartListening();
    void StopListening(bool report);
    void ShowSettings();
    void ShowLogSwitch();
    // The status line's middle part: what the capture's own figures say (the frames' account, and what it
    // dropped).
    std::string CaptureFiguresText() const;
    void ShowCaptureFigures();
    void ShowNote(const std::string& note); // in the status line's last part
    void ShowLibraryNotes();                // what the packet library has said since it was last asked
    void EnableForState();
    void SaveWindowSettings();

    void OnStart();
    void OnStop();
    void OnBrowse();
    void OnExport();
    void OnSavePackets();
    void OnExportToCollector();
    void OnUpdateExportToCollector(CCmdUI* ui);
    void OnFilter();
    void OnAlwaysOnTop();
    void OnSaveSeries();
    void OnKeepHistory();
    void OnUpdateKeepHistory(CCmdUI* ui);
    void OnExit();
    void OnShowGraph();
    void OnUpdateShowGraph(CCmdUI* ui);
    void OnInitMenuPopup(CMenu* popup, UINT index, BOOL isSystemMenu);
    void OnTimer(UINT_PTR id);
    void OnSize(WPARAM type, LPARAM size);
    void OnClose();
    void OnDestroy();

    HWND m_adapterBox = nullptr;
    HWND m_listPane = nullptr;
    HWND m_listView = nullptr;
    HWND m_statusBar = nullptr;
    HWND m_logFileEdit = nullptr;
    HWND m_logTypeBox = nullptr;
    HWND m_savePacketsEdit = nullptr;
    bool m_capturing = false;
    std::string m_figuresText;  // as the middle part shows it
    std::string m_settingsNote; // why the settings cannot be saved; empty when they can
    bool m_quitOnDestroy = false;
    // Where the flows of each capture are sent, if anywhere.
    capture_host::WindowExport m_export;
    // Host names for the list, looked up by theNameCache on a thread of their own.
    capture::NameResolver m_names{theNameCache, capture::NameResolver::Mode::OnOwnThread};
    // The traffic of the current or last capture, kept after it stops so that it can still be seen and saved.
    capture::TrafficSeries m_series;
    CTrafficGraph m_graph; // shows m_series
    bool m_graphShown = true;
    capture::FlowHistoryFile m_history;
    std::string m_historyPath; // empty: no history is kept
};
