// The capture host's window: adapter choice, start and stop, the filter, name and log settings, the list
// of flows and the status line with the totals.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "capture/host/window_export.h"
#include "capture/names/name_resolver.h"
#include "framework/wnd.h"

class CCaptureWindow : public CWnd {
public:
    CCaptureWindow() = default;
    ~CCaptureWindow() override;

    // Creates the window with its controls, placed as the settings say; shown only when visible is true.
    bool Create(bool visible);

    void SetAdapter(const std::string& adapter);
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
    void ShowSettings();
    void ShowLogSwitch();
    void ShowNote(const std::string& note); // in the status line's second part
    void ShowLibraryNotes();                // what the packet library has said since it was last asked
    void EnableForState();
    void SaveWindowSettings();

    void OnStart();
    void OnStop();
    void OnBrowse();
    void OnExport();
    void OnSavePackets();
    void OnExportToCollector();
    void OnFilter();
    void OnAlwaysOnTop();
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
    std::string m_settingsNote; // why the settings cannot be saved; empty when they can
    bool m_quitOnDestroy = false;
    // Where the flows of each capture are sent, if anywhere.
    capture_host::WindowExport m_export;
    // Host names for the list, looked up by theNameCache on a thread of their own.
    capture::NameResolver m_names{theNameCache, capture::NameResolver::Mode::OnOwnThread};
};
