// The main dialog's own code: construction, data exchange, message map, initialisation and window handlers.
#include "ui/hollowmere_dlg.h"

#include <cstdio>

#include "net/ip_utils.h"
#include "ui/about_dlg.h"

namespace {

// The client whose buttons this window carries.
constexpr const char* kClientName = "Quillfin";
constexpr const char* kTrayTip = "Brisklane";

HICON LoadMainIcon() {
    if (CWinApp* app = AfxGetApp()) {
        return app->LoadIcon(IDR_MAINFRAME);
    }
    return ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

std::string Format(const char* format, const char* value) {
    char text[128];
    (void)std::snprintf(text, sizeof(text), format, value);
    return text;
}

} // namespace

CHollowmereDlg::CHollowmereDlg(CWnd* parent) : CDialog(IDD, parent) {
    m_hIcon = LoadMainIcon();
    LoadAutoResume();
}

CHollowmereDlg::~CHollowmereDlg() = default;

void CHollowmereDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CHECK_PERIOD_UNIT, m_comboCheckPeriodUnit);
    DDX_Control(pDX, IDC_CHECK_PERIOD, m_editCheckPeriod);
    DDX_Control(pDX, IDC_ACCELERATE_N, m_editAccelerateN);
    DDX_Control(pDX, IDCANCEL, m_btnMinimize);
    DDX_Control(pDX, IDC_ACCELERATE, m_btnAccelerate);
    DDX_Control(pDX, IDC_QUIT, m_btnQuit);
    DDX_Text(pDX, IDC_BYTES_RECEIVED, m_strBytesReceived);
    DDX_Text(pDX, IDC_BYTES_SENT, m_strBytesSent);
    DDX_Text(pDX, IDC_DURATION, m_strDuration);
    DDX_Text(pDX, IDC_STATUS, m_strStatus);
    DDX_Control(pDX, IDC_RUN_CLIENT, m_btnRunClient);
    DDX_Text(pDX, IDC_TYPE, m_strType);
    DDX_Text(pDX, IDC_CHECK_PERIOD, m_strCheckPeriod);
    DDX_Text(pDX, IDC_ACCELERATE_N, m_strAccelerateN);
    DDX_Control(pDX, IDC_DURATION, m_lblDuration);
    DDX_Control(pDX, IDC_BYTES_SENT, m_lblBytesSent);
    DDX_Control(pDX, IDC_BYTES_RECEIVED, m_lblBytesReceived);
    DDX_Control(pDX, IDC_TYPE, m_lblType);
    DDX_Control(pDX, IDC_STATUS, m_lblStatus);
    DDX_Text(pDX, IDC_ACCEL_DURATION, m_strAccelDuration);
    DDX_Control(pDX, IDC_NETWORK, m_comboNetwork);
}

const fw::MessageMap* CHollowmereDlg::GetThisMessageMap() {
    using D = CHollowmereDlg;
    static const fw::MessageMapEntry entries[] = {
        fw::OnWmSysCommand<&D::OnSysCommand>(),
        fw::OnWmPaint<&D::OnPaint>(),
        fw::OnWmQueryDragIcon<&D::OnQueryDragIcon>(),
        fw::OnWmInitMenuPopup<&D::OnInitMenuPopup>(),
        fw::OnCommand<&D::OnMinimize>(IDCANCEL),
        fw::OnCommand<&D::OnAbout>(ID_APP_ABOUT_MENU),
        fw::OnCommand<&D::OnAutoResumeDownloads>(ID_AUTO_RESUME),
        fw::OnUpdateCommand<&D::OnUpdateAutoResumeDownloads>(ID_AUTO_RESUME),
        fw::OnCommand<&D::OnRunAtStartup>(ID_RUN_AT_STARTUP),
        fw::OnUpdateCommand<&D::OnUpdateRunAtStartup>(ID_RUN_AT_STARTUP),
        fw::OnMessage<&D::OnTrayNotification>(WM_TRAY_NOTIFY),
        fw::OnCommand<&D::OnExit>(ID_APP_EXIT_MENU),
        fw::OnCommand<&D::OnAccelerate>(IDC_ACCELERATE),
        fw::OnMessage<&D::OnAccelerationFailed>(net::kAccelerationFailedMessage),
        fw::OnWmTimer<&D::OnTimer>(),
        fw::OnCommand<&D::RunClient>(IDC_RUN_CLIENT),
        fw::OnCommand<&D::OnQuit>(IDC_QUIT),
        fw::OnWmCtlColor<&D::OnCtlColor>(),
        fw::OnWmEraseBkgnd<&D::OnEraseBkgnd>(),
        fw::OnCommand<&D::OnSafetyPage>(ID_SAFETY_PAGE),
        fw::OnCommand<&D::OnHelpPage>(ID_HELP_PAGE),
        fw::OnCommand<&D::OnFileSharingPage>(ID_FILE_SHARING_PAGE),
        fw::OnCommand<&D::OnAnonymityPage>(ID_ANONYMITY_PAGE),
        fw::OnCommand<&D::OnMusicOffer>(ID_MUSIC_OFFER),
        fw::OnCommand<&D::OnMediaOffer>(ID_MEDIA_OFFER),
        fw::OnNotify<&D::OnSelChangeNetwork>(CBN_SELCHANGE, IDC_NETWORK),
    };
    static const fw::MessageMap map{&CDialog::GetThisMessageMap, entries};
    return &map;
}

const fw::MessageMap* CHollowmereDlg::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CHollowmereDlg::OnInitDialog() {
    // Controls bound and filled from the members; the unit list has its two items by now.
    (void)CDialog::OnInitDialog();

    if (CMenu systemMenu = CMenu::Borrow(GetSystemMenu(FALSE)); systemMenu.m_hMenu != nullptr) {
        char aboutText[256] = {};
        const HINSTANCE instance = AfxGetApp() != nullptr && AfxGetApp()->m_hInstance != nullptr
                                       ? AfxGetApp()->m_hInstance
                                       : ::GetModuleHandleA(nullptr);
        if (::LoadStringA(instance, IDS_ABOUTBOX, aboutText, sizeof(aboutText)) > 0) {
            (void)systemMenu.AppendMenu(MF_SEPARATOR);
            (void)systemMenu.AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }

    (void)SetIcon(m_hIcon, TRUE);
    (void)SetIcon(m_hIcon, FALSE);

    LoadWindowSettings();
    LoadInterfaceList();
    LaunchUpdater();
    (void)SetTimer(kStatisticsTimer, kTimerPeriodMs);
    CenterWindow(CWnd::FromHandle(::GetDesktopWindow()));

    (void)m_trayIcon.Install(this, WM_TRAY_NOTIFY, kTrayTip, m_hIcon, kTrayIconId, FALSE);

    m_btnRunClient.AssignTip(Format("Run %s", kClientName).c_str(), TRUE);
    m_btnAccelerate.AssignTip(Format("Accelerate %s", kClientName).c_str(), TRUE);
    m_btnQuit.AssignTip("Exit", TRUE);
    m_btnMinimize.AssignTip("Save", TRUE);

    LoadRunOtherApp();
    if (m_bRunOtherApp) {
        RunClient();
    }

    WSADATA socketsData{};
    (void)::WSAStartup(MAKEWORD(1, 1), &socketsData);

    net::localAddressCount = net::ListLocalAddresses(net::localAddresses, net::kMaxLocalAddresses);

    // Acceleration is off here, so this starts it; the switch shows checked only when the start worked.
    OnAccelerate();
    CheckDlgButton(IDC_ACCELERATE, net::accelerationRunning != 0 ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CHollowmereDlg::OnOK() {}

void CHollowmereDlg::OnSysCommand(UINT command, LPARAM) {
    // The low four bits of a system command are the system's own.
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        (void)about.DoModal();
        return;
    }
    (void)Default();
}

void CHollowmereDlg::OnPaint() {
    if (!IsIconic()) {
        (void)Default();
        return;
    }
    CPaintDC dc(this);
    (void)SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client{};
    GetClientRect(&client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    (void)::DrawIcon(dc.m_hDC, x, y, m_hIcon);
}

HCURSOR CHollowmereDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CHollowmereDlg::OnInitMenuPopup(CMenu* popupMenu, UINT, BOOL) {
    if (popupMenu == nullptr || popupMenu->m_hMenu == nullptr) {
        return;
    }
    // The menu that holds the popup: the popup itself while it is the one being tracked, else the menu bar
    // when one of its items opens it; a dialog normally has neither.
    CMenu bar = CMenu::Borrow(GetMenu());
    CMenu* parentMenu = nullptr;
    if (fw::TrackingMenu() == popupMenu->m_hMenu) {
        parentMenu = popupMenu;
    } else if (bar.m_hMenu != nullptr) {
        for (int i = 0; i < bar.GetMenuItemCount(); ++i) {
            if (bar.GetSubMenu(i).m_hMenu == popupMenu->m_hMenu) {
                parentMenu = &bar;
                break;
            }
        }
    }
    fw::UpdatePopupCommands(*this, *popupMenu, parentMenu);
}

HBRUSH CHollowmereDlg::OnCtlColor(HDC dc, CWnd*, UINT kind) {
    if (kind == CTLCOLOR_STATIC) {
        // No background of our own: the skin shows through around the letters.
        (void)::SetBkMode(dc, TRANSPARENT);
        return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    }
    return reinterpret_cast<HBRUSH>(Default());
}

BOOL CHollowmereDlg::OnEraseBkgnd(HDC) {
    return static_cast<BOOL>(Default());
}

void CHollowmereDlg::OnMinimize() {
    SaveWindowSettings();
    CSystemTray::HideToTray(this, FALSE);
}

void CHollowmereDlg::OnAbout() {
    CAboutDlg about;
    (void)about.DoModal();
}

LRESULT CHollowmereDlg::OnTrayNotification(WPARAM id, LPARAM event) {
    if (event == WM_LBUTTONDBLCLK) {
        CSystemTray::RestoreFromTray(this, FALSE);
    }
    return m_trayIcon.HandleTrayEvent(id, event);
}

void CHollowmereDlg::OnQuit() {
    (void)KillTimer(kStatisticsTimer);
    CDialog::OnCancel();
}

void CHollowmereDlg::OnExit() {
    (void)KillTimer(kStatisticsTimer);
    EndDialog(0);
}

void CHollowmereDlg::OnTimer(UINT_PTR id) {
    switch (id) {
    case kStatisticsTimer:
        (void)UpdateStatistics();
        break;
    case kAccelerationTimer:
        TickAccelerationClock();
        break;
    default:
        break;
    }
}
