// CSystemTray: shell calls for the tray icon, its menu and notifications, the icon cycle and hiding into the tray.
#include "widgets/system_tray.h"

#include <cstddef>
#include <new>
#include <optional>

#include "framework/win_app.h"
#include "platform/module_path.h"
#include "widgets/resource_string.h"
#include "widgets/tip_text.h"
#include "widgets/tray_geometry.h"

// Both are ordinary statics on purpose: the program's capture globals carry construction priorities, so these
// two are built after them and, at exit, destroyed before them. The message number comes first.
const UINT CSystemTray::m_nTaskbarCreatedMsg = ::RegisterWindowMessageA("TaskbarCreated");
CWnd CSystemTray::m_wndInvisibleOwner;
UINT CSystemTray::m_nMaxTipLength = sizeof(NOTIFYICONDATAA::szTip);

namespace {

// The record as far as the shell of Windows 2000 and later reads it: up to the item GUID, without the
// balloon-icon handle of later versions.
constexpr DWORD kRecordSize = offsetof(NOTIFYICONDATAA, guidItem) + sizeof(GUID);
static_assert(kRecordSize == (sizeof(void*) == 4 ? 504 : 520));

widgets::TrayRect ToTrayRect(const RECT& rect) {
    return {static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.right),
            static_cast<int>(rect.bottom)};
}

RECT ToRect(const widgets::TrayRect& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

widgets::LocalDateTime CurrentLocalTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

// The tray menu resource and its first popup, loaded for one use.
struct TrayMenu {
    CMenu menu;
    CMenu popup;
    explicit TrayMenu(UINT id) {
        if (menu.LoadMenu(id, widgets::ResourceModule())) {
            popup = menu.GetSubMenu(0);
        }
    }
    bool usable() const { return popup.GetSafeHmenu() != nullptr; }
};

} // namespace

// ---- Creation and destruction --------------------------------------------------------------------------------

CSystemTray::CSystemTray() = default;

CSystemTray::CSystemTray(CWnd* notifyWnd, UINT callbackMessage, const char* tip, HICON icon, UINT id,
                         BOOL startHidden) {
    (void)Install(notifyWnd, callbackMessage, tip, icon, id, startHidden);
}

CSystemTray::~CSystemTray() {
    (void)RemoveFromTray();
    m_iconSequence.clear();
    if (m_hWnd != nullptr) {
        (void)DestroyWindow();
    }
    KeepLoadedIcon(nullptr);
}

BOOL CSystemTray::Install(CWnd* notifyWnd, UINT callbackMessage, const char* tip, HICON icon, UINT id, BOOL startHidden,
                          const char*, const char*, DWORD, UINT) {
    const DWORD version = ::GetVersion();
    if (!m_state.Enable(LOBYTE(LOWORD(version)))) {
        return FALSE;
    }
    m_nMaxTipLength = sizeof(m_tnd.szTip);

    // Unowned and top-level, so the shell's broadcasts reach it. A second Install reuses it.
    if (m_hWnd == nullptr) {
        (void)CreateEx(0, AfxRegisterWndClass(0).c_str(), "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr);
    }

    m_tnd.cbSize = kRecordSize;
    const HWND notify = notifyWnd != nullptr ? notifyWnd->GetSafeHwnd() : nullptr;
    m_tnd.hWnd = notify != nullptr ? notify : m_hWnd;
    m_tnd.uID = id;
    m_tnd.hIcon = icon;
    m_tnd.uFlags = widgets::kTrayCreationFlags;
    m_tnd.uCallbackMessage = callbackMessage;
    (void)widgets::CopyTipText(m_tnd.szTip, m_nMaxTipLength, tip, &platform::IsCodePageLeadByte);

    return m_state.FinishInstall(startHidden != FALSE, *this) ? TRUE : FALSE;
}

bool CSystemTray::Notify(widgets::TrayShellOp op, unsigned flags) {
    m_tnd.uFlags = flags;
    DWORD message = NIM_MODIFY;
    if (op == widgets::TrayShellOp::Add) {
        message = NIM_ADD;
    } else if (op == widgets::TrayShellOp::Delete) {
        message = NIM_DELETE;
    }
    return ::Shell_NotifyIconA(message, &m_tnd) != FALSE;
}

// ---- Presence in the notification area -----------------------------------------------------------------------

BOOL CSystemTray::AddToTray() {
    return m_state.AddToTray(*this) ? TRUE : FALSE;
}
BOOL CSystemTray::RemoveFromTray() {
    return m_state.RemoveFromTray(*this) ? TRUE : FALSE;
}
BOOL CSystemTray::HideFromTray() {
    return m_state.HideFromTray(*this) ? TRUE : FALSE;
}
BOOL CSystemTray::ShowInTray() {
    return m_state.ShowInTray(*this) ? TRUE : FALSE;
}
BOOL CSystemTray::ReAddAtEnd() {
    return m_state.ReAddAtEnd(*this) ? TRUE : FALSE;
}

// ---- Icon ----------------------------------------------------------------------------------------------------

BOOL CSystemTray::ChangeIcon(HICON icon) {
    if (!m_state.CanChange()) {
        return FALSE;
    }
    m_tnd.uFlags = widgets::kTrayFlagIcon;
    m_tnd.hIcon = icon;
    return m_state.CommitChange(widgets::kTrayFlagIcon, *this) ? TRUE : FALSE;
}

void CSystemTray::KeepLoadedIcon(HICON icon) {
    if (m_loadedIcon.Get() != icon) {
        m_loadedIcon.Reset(icon);
    }
}

BOOL CSystemTray::ChangeIconFromResource(const char* name) {
    const auto icon =
        static_cast<HICON>(::LoadImageA(widgets::ResourceModule(), name, IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    if (icon == nullptr) {
        return FALSE;
    }
    const BOOL changed = ChangeIcon(icon);
    // The record names this icon from now on, so it lives until another loaded icon replaces it.
    KeepLoadedIcon(icon);
    return changed;
}

BOOL CSystemTray::ChangeIconFromResource(UINT id) {
    return ChangeIconFromResource(MAKEINTRESOURCEA(id));
}

BOOL CSystemTray::ChangeToStockIcon(const char* name) {
    return ChangeIcon(::LoadIconA(nullptr, name));
}

BOOL CSystemTray::ChangeToStockIcon(UINT id) {
    return ChangeToStockIcon(MAKEINTRESOURCEA(id));
}

HICON CSystemTray::CurrentIcon() const {
    return m_state.enabled() ? m_tnd.hIcon : nullptr;
}

// ---- Tip -----------------------------------------------------------------------------------------------------

BOOL CSystemTray::ChangeTip(const char* tip) {
    if (!m_state.CanChange()) {
        return FALSE;
    }
    m_tnd.uFlags = widgets::kTrayFlagTip;
    (void)widgets::CopyTipText(m_tnd.szTip, m_nMaxTipLength, tip, &platform::IsCodePageLeadByte);
    return m_state.CommitChange(widgets::kTrayFlagTip, *this) ? TRUE : FALSE;
}

BOOL CSystemTray::ChangeTipFromResource(UINT id) {
    return ChangeTip(widgets::LoadResourceString(id));
}

std::string CSystemTray::CurrentTip() const {
    return m_state.enabled() ? std::string(m_tnd.szTip) : std::string();
}

// ---- Notify window, command target, callback message ---------------------------------------------------------

BOOL CSystemTray::ChangeNotifyWindow(CWnd* notifyWnd) {
    if (!m_state.CanChange() || notifyWnd == nullptr || !::IsWindow(notifyWnd->GetSafeHwnd())) {
        return FALSE;
    }
    const HWND previous = m_tnd.hWnd;
    m_tnd.hWnd = notifyWnd->GetSafeHwnd();
    m_tnd.uFlags = 0;
    if (m_state.CommitChange(0, *this)) {
        return TRUE;
    }
    // The shell knows the icon by its old window: a record naming the new one could no longer remove it.
    m_tnd.hWnd = previous;
    return FALSE;
}

CWnd* CSystemTray::NotifyWindow() const {
    return CWnd::FromHandle(m_tnd.hWnd);
}

BOOL CSystemTray::SetCommandTarget(CWnd* target) {
    m_pTargetWnd = target;
    return TRUE;
}

CWnd* CSystemTray::CommandTarget() const {
    return m_pTargetWnd != nullptr ? m_pTargetWnd : AfxGetMainWnd();
}

BOOL CSystemTray::ChangeCallbackMessage(UINT callbackMessage) {
    if (!m_state.CanChange()) {
        return FALSE;
    }
    m_tnd.uCallbackMessage = callbackMessage;
    m_tnd.uFlags = widgets::kTrayFlagMessage;
    return m_state.CommitChange(widgets::kTrayFlagMessage, *this) ? TRUE : FALSE;
}

UINT CSystemTray::CallbackMessage() const {
    return m_tnd.uCallbackMessage;
}

// ---- Menu ----------------------------------------------------------------------------------------------------

BOOL CSystemTray::SetDefaultMenuCommand(UINT item, BOOL byPosition) {
    if (m_nDefaultMenuItem == item && m_bDefaultByPosition == byPosition) {
        return TRUE;
    }
    m_nDefaultMenuItem = item;
    m_bDefaultByPosition = byPosition;
    TrayMenu tray(m_tnd.uID);
    if (!tray.usable()) {
        return FALSE;
    }
    (void)tray.popup.SetDefaultItem(item, byPosition);
    return TRUE;
}

void CSystemTray::DefaultMenuCommand(UINT& item, BOOL& byPosition) const {
    item = m_nDefaultMenuItem;
    byPosition = m_bDefaultByPosition;
}

void CSystemTray::PrepareTrayMenu(CMenu*) {}

LRESULT CSystemTray::HandleTrayEvent(WPARAM id, LPARAM event) {
    if (id != m_tnd.uID) {
        return 0;
    }
    CWnd* target = CommandTarget();
    if (target == nullptr) {
        return 0;
    }
    const UINT mouse = LOWORD(event);
    if (mouse == WM_RBUTTONUP) {
        TrayMenu tray(m_tnd.uID);
        if (!tray.usable()) {
            return 0;
        }
        (void)tray.popup.SetDefaultItem(m_nDefaultMenuItem, m_bDefaultByPosition);
        PrepareTrayMenu(&tray.popup);
        POINT cursor{};
        (void)::GetCursorPos(&cursor);
        // Without the foreground the menu would not close when the user clicks elsewhere.
        (void)target->SetForegroundWindow();
        (void)tray.popup.TrackPopupMenu(0, cursor.x, cursor.y, target);
        // Lets the target's queue run once more so that a second click on the icon opens the menu again.
        (void)target->PostMessage(WM_NULL, 0, 0);
    } else if (mouse == WM_LBUTTONDBLCLK) {
        (void)target->SetForegroundWindow();
        UINT command = m_nDefaultMenuItem;
        if (m_bDefaultByPosition) {
            TrayMenu tray(m_tnd.uID);
            if (!tray.usable()) {
                return 0;
            }
            command = tray.popup.GetMenuItemID(static_cast<int>(m_nDefaultMenuItem));
        }
        (void)target->PostMessage(WM_COMMAND, command, 0);
    }
    return 1;
}

// ---- Private window ------------------------------------------------------------------------------------------

const fw::MessageMap* CSystemTray::GetThisMessageMap() {
    static const fw::MessageMapEntry entries[] = {
        fw::OnWmTimer<&CSystemTray::OnTimer>(),
        fw::OnWmSettingChange<&CSystemTray::OnSettingChange>(),
        fw::OnRegisteredMessage<&CSystemTray::OnTaskbarCreated>(m_nTaskbarCreatedMsg),
    };
    static const fw::MessageMap map{&CWnd::GetThisMessageMap, entries};
    return &map;
}

const fw::MessageMap* CSystemTray::GetMessageMap() const {
    return GetThisMessageMap();
}

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_tnd.uCallbackMessage) {
        return HandleTrayEvent(wParam, lParam);
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CSystemTray::OnTaskbarCreated(WPARAM, LPARAM) {
    m_state.OnTaskbarCreated(*this);
    return 0;
}

void CSystemTray::OnSettingChange(UINT flags, const char*) {
    (void)Default();
    if (flags == SPI_SETWORKAREA) {
        m_state.OnWorkAreaChanged(*this);
    }
}

// ---- Icon cycle ----------------------------------------------------------------------------------------------

BOOL CSystemTray::SetIconSequence(UINT firstId, UINT lastId) {
    CWinApp* app = AfxGetApp();
    if (firstId > lastId || app == nullptr) {
        return FALSE;
    }
    try {
        m_iconSequence.clear();
        for (UINT id = firstId;; ++id) {
            m_iconSequence.push_back(app->LoadIcon(id));
            if (id == lastId) {
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        (void)AfxMessageBox("Out of memory.", MB_OK | MB_ICONEXCLAMATION);
        m_iconSequence.clear();
        return FALSE;
    }
    return TRUE;
}

BOOL CSystemTray::SetIconSequence(const HICON* icons, int count) {
    try {
        m_iconSequence.clear();
        for (int i = 0; i < count; ++i) {
            m_iconSequence.push_back(icons[i]);
        }
    } catch (const std::bad_alloc&) {
        (void)AfxMessageBox("Out of memory.", MB_OK | MB_ICONEXCLAMATION);
        m_iconSequence.clear();
        return FALSE;
    }
    return TRUE;
}

BOOL CSystemTray::StartIconCycle(UINT delayMs, UINT durationSeconds) {
    // Without the private window a timer would belong to the thread and never reach us.
    if (m_iconSequence.empty() || m_hWnd == nullptr) {
        return FALSE;
    }
    (void)StopIconCycle();
    m_nCyclePosition = 0;
    m_cycleStart = CurrentLocalTime();
    m_nCycleDuration = durationSeconds;
    m_hIconBeforeCycle = CurrentIcon();
    m_nCycleTimer = SetTimer(kCycleTimerId, delayMs);
    return m_nCycleTimer != 0 ? TRUE : FALSE;
}

void CSystemTray::OnTimer(UINT_PTR id) {
    if (id != m_nCycleTimer || m_nCycleTimer == 0) {
        return;
    }
    const int64_t elapsed = widgets::ElapsedCycleSeconds(m_cycleStart, CurrentLocalTime());
    if (widgets::CycleExpired(elapsed, m_nCycleDuration)) {
        (void)StopIconCycle();
    } else {
        (void)AdvanceIconCycle();
    }
}

BOOL CSystemTray::AdvanceIconCycle() {
    if (m_iconSequence.empty()) {
        return FALSE;
    }
    m_nCyclePosition = widgets::NextCyclePosition(m_nCyclePosition, m_iconSequence.size());
    return ChangeIcon(m_iconSequence[m_nCyclePosition]);
}

BOOL CSystemTray::StopIconCycle() {
    BOOL stopped = FALSE;
    if (m_nCycleTimer != 0) {
        stopped = KillTimer(m_nCycleTimer);
    }
    m_nCycleTimer = 0;
    if (m_hIconBeforeCycle != nullptr) {
        (void)ChangeIcon(m_hIconBeforeCycle);
        m_hIconBeforeCycle = nullptr;
    }
    return stopped;
}

// ---- Hiding into the tray ------------------------------------------------------------------------------------

BOOL CSystemTray::WindowAnimationEnabled() {
    ANIMATIONINFO info{};
    info.cbSize = sizeof(info);
    (void)::SystemParametersInfoA(SPI_GETANIMATION, sizeof(info), &info, 0);
    return info.iMinAnimate != 0 ? TRUE : FALSE;
}

BOOL CALLBACK CSystemTray::ProbeTrayChild(HWND child, LPARAM area) noexcept {
    char className[256] = {};
    (void)::GetClassNameA(child, className, sizeof(className));
    RECT childRect{};
    (void)::GetWindowRect(child, &childRect);
    auto* rect = reinterpret_cast<RECT*>(area);
    widgets::TrayRect narrowed = ToTrayRect(*rect);
    const widgets::ProbeResult next = widgets::ProbeTrayChildRect(className, ToTrayRect(childRect), narrowed);
    *rect = ToRect(narrowed);
    return next == widgets::ProbeResult::Continue ? TRUE : FALSE;
}

void CSystemTray::FindTrayArea(RECT* rect) {
    if (const HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr); taskbar != nullptr) {
        (void)::GetWindowRect(taskbar, rect);
        (void)::EnumChildWindows(taskbar, &CSystemTray::ProbeTrayChild, reinterpret_cast<LPARAM>(rect));
        return;
    }
    APPBARDATA bar{};
    bar.cbSize = sizeof(bar);
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &bar) != 0) {
        // An edge the system doesn't define gives no guess; the work area below still does.
        if (const auto area = widgets::TrayAreaFromAppBar(bar.uEdge, ToTrayRect(bar.rc)); area.has_value()) {
            *rect = ToRect(*area);
            return;
        }
    }
    RECT workArea{};
    (void)::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    *rect = ToRect(widgets::TrayAreaFromWorkArea(ToTrayRect(workArea)));
}

BOOL CSystemTray::DetachFromTaskbar(CWnd* wnd) {
    if (m_wndInvisibleOwner.GetSafeHwnd() == nullptr &&
        !m_wndInvisibleOwner.CreateEx(0, AfxRegisterWndClass(0).c_str(), "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr)) {
        return FALSE;
    }
    (void)wnd->SetParent(&m_wndInvisibleOwner);
    return TRUE;
}

void CSystemTray::HideToTray(CWnd* wnd, BOOL forceAnimation) {
    if (forceAnimation || WindowAnimationEnabled()) {
        RECT from{};
        RECT to{};
        wnd->GetWindowRect(&from);
        FindTrayArea(&to);
        (void)::DrawAnimatedRects(wnd->GetSafeHwnd(), IDANI_CAPTION, &from, &to);
    }
    (void)DetachFromTaskbar(wnd);
    // The style bit only: the window already vanished with its invisible parent.
    (void)wnd->ModifyStyle(WS_VISIBLE, 0);
}

void CSystemTray::RestoreFromTray(CWnd* wnd, BOOL forceAnimation) {
    if (forceAnimation || WindowAnimationEnabled()) {
        RECT from{};
        RECT to{};
        wnd->GetWindowRect(&to);
        FindTrayArea(&from);
        (void)wnd->SetParent(nullptr);
        (void)::DrawAnimatedRects(wnd->GetSafeHwnd(), IDANI_CAPTION, &from, &to);
    } else {
        (void)wnd->SetParent(nullptr);
    }
    (void)wnd->ModifyStyle(0, WS_VISIBLE);
    (void)wnd->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    if (m_wndInvisibleOwner.GetSafeHwnd() != nullptr) {
        (void)m_wndInvisibleOwner.SetActiveWindow();
    }
    (void)wnd->SetActiveWindow();
    (void)wnd->SetForegroundWindow();
}
