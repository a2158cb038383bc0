// CHollowmereDlg: the program's main window, with its members, message map, timers and tray behaviour.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/framework.h"
#include "net/acceleration_run.h"
#include "res/resource.h"
#include "widgets/button_st.h"
#include "widgets/system_tray.h"
#include "widgets/transparent_static.h"

// Window timers of the main dialog.
constexpr UINT_PTR kStatisticsTimer = 1;   // every second from initialisation until Quit or Exit
constexpr UINT_PTR kAccelerationTimer = 2; // every second while accelerating
constexpr UINT kTimerPeriodMs = 1000;

// The tray icon's callback message and identifier (the identifier also names the tray menu resource).
constexpr UINT WM_TRAY_NOTIFY = WM_APP + 10;
constexpr UINT kTrayIconId = IDR_TRAYMENU;

class CHollowmereDlg : public CDialog {
public:
    explicit CHollowmereDlg(CWnd* parent = nullptr);
    ~CHollowmereDlg() override;

    enum { IDD = IDD_HOLLOWMERE_DIALOG };

    // Runs the update handlers of a popup's commands when it opens (the tray menu's check marks).
    virtual void OnInitMenuPopup(CMenu* popupMenu, UINT index, BOOL isSystemMenu);

    // ---- Members, in construction order -------------------------------------------------------------------
    HICON m_hIcon = nullptr;
    bool m_bAutoResumeDownloads = false;
    bool m_bRunAtStartup = false;
    CComboBox m_comboCheckPeriodUnit;
    CEdit m_editCheckPeriod;
    CEdit m_editAccelerateN;
    CSystemTray m_trayIcon;
    CButtonST m_btnQuit;
    CButtonST m_btnMinimize;
    CButtonST m_btnAccelerate;
    std::string m_strInterfaceInfo;
    std::string m_strBytesReceived;
    std::string m_strBytesSent;
    std::string m_strDuration;
    std::string m_strStatus;
    CButtonST m_btnRunClient;
    std::string m_strType;
    bool m_bRunOtherApp = false;
    std::string m_strCheckPeriod;
    std::string m_strAccelerateN;
    CTransparentStatic m_lblDuration;
    CTransparentStatic m_lblBytesSent;
    CTransparentStatic m_lblBytesReceived;
    CTransparentStatic m_lblType;
    CTransparentStatic m_lblStatus;
    std::string m_strAccelDuration = " 0 hrs :  0 mins :  0 secs";
    int32_t m_nAccelSeconds = 0;
    int32_t m_nAccelMinutes = 0;
    int32_t m_nAccelHours = 0;
    int32_t m_nDurHours = 0;
    int32_t m_nDurMinutes = 0;
    int32_t m_nDurSeconds = 0;
    MIB_IFTABLE* m_pIfTable = nullptr;
    DWORD m_dwIfTableSize = 0;
    int32_t m_nNetwork = 0;
    CComboBox m_comboNetwork;
    int32_t m_nRowOfItem[256]; // filled by LoadInterfaceList only

    // ---- Persisted preferences (preferences.cpp) ----------------------------------------------------------
    void LoadAutoResume();
    void LoadWindowSettings();
    void LoadRunOtherApp();
    void SaveWindowSettings();
    void OnAutoResumeDownloads();
    void OnUpdateAutoResumeDownloads(CCmdUI* cmdUI);
    void OnRunAtStartup();
    void OnUpdateRunAtStartup(CCmdUI* cmdUI);

    // ---- Client, updater and web pages (launchers.cpp) ----------------------------------------------------
    void RunClient();
    void LaunchUpdater();
    void OnSafetyPage();
    void OnHelpPage();
    void OnFileSharingPage();
    void OnAnonymityPage();
    void OnMusicOffer();
    void OnMediaOffer();

    // ---- Interface statistics and clocks (net/statistics.cpp) ---------------------------------------------
    void LoadInterfaceList();
    BOOL UpdateStatistics(); // the result is not examined
    void TickDurationClock();
    void TickAccelerationClock();
    void OnSelChangeNetwork();

    // ---- Acceleration (net/acceleration.cpp) --------------------------------------------------------------
    void OnAccelerate();
    void OpenRawSocket();

    // ---- Dial-up (net/dial_up.cpp) ------------------------------------------------------------------------
    DWORD HangUpDialUp();

    // ---- Window handlers (hollowmere_dlg.cpp) -------------------------------------------------------------
    void OnSysCommand(UINT command, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    HBRUSH OnCtlColor(HDC dc, CWnd* control, UINT kind);
    BOOL OnEraseBkgnd(HDC dc);
    void OnMinimize();
    void OnAbout();
    LRESULT OnTrayNotification(WPARAM id, LPARAM event);
    void OnQuit();
    void OnExit();
    void OnTimer(UINT_PTR id);

    BOOL OnInitDialog() override;
    // Enter (the dialog's OK command) must not end the program: the dialog ends only through Quit and Exit.
    void OnOK() override;

    const fw::MessageMap* GetMessageMap() const override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    static const fw::MessageMap* GetThisMessageMap();

public:
    // ---- State added by the statistics and acceleration code (net) ----------------------------------------
    // Members that the methods above need beyond the window's own go here, after every member listed above,
    // so the construction order of those stays as it is.
    std::unique_ptr<unsigned char[]> m_ifTableStorage;       // owns the buffer m_pIfTable points into
    std::shared_ptr<net::AccelerationRun> m_accelerationRun; // the run started last, if any
    uint32_t m_nRunSerial = 0;                               // serial number of the run started last
    // How a start opens its raw socket: the platform's raw socket unless a test puts its own here.
    std::function<net::RawSocketOpening()> m_openRawSocket;
    // How a statistics tick asks whether the machine is connected: InternetGetConnectedState unless a test
    // puts its own here (under Wine that call takes milliseconds, too long for a soak of many ticks).
    std::function<BOOL(DWORD* flags)> m_connectedState;
    size_t m_ifTableCapacity = 0;  // bytes of the table buffer: no refresh may be told it is larger
    size_t m_listedInterfaces = 0; // items in the Network Interface list, each with its row in m_nRowOfItem
    bool m_bNetworkStored = false; // "Network" was read from the registry, so the user chose the interface
    std::string m_strNormalFooter; // the footer's own text while it shows an acceleration note
    bool m_bFooterNoted = false;   // the footer shows an acceleration note
    void ShowAccelerationNote(const std::string& note); // empty: the footer's own text again
    void ShowAccelerationStopped();                     // flag, timer 2, caption and check state of a stopped switch
    // A watcher's receive failed (kAccelerationFailedMessage): that run, if still the current one, stops.
    LRESULT OnAccelerationFailed(WPARAM error, LPARAM serial);
    void RefreshIfTable();          // GetIfTable into the buffer, within its size; the result is not examined
    bool GrowIfTable(size_t bytes); // at least `bytes` of table buffer, keeping its rows; false without memory
    void ShowSelectedCounters();    // the selected interface's byte counters, if it names a row of the table
    [[nodiscard]] int32_t DefaultInterfaceItem() const; // the item that carries the traffic, for a first start
    // ---- End of the state added by net ---------------------------------------------------------------------
};
