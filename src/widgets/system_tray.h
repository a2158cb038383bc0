// CSystemTray: the program's icon in the notification area, its menu, and hiding a window into the tray.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "framework/menu.h"
#include "framework/wnd.h"
#include "platform/handles.h"
#include "widgets/icon_cycle.h"
#include "widgets/tray_state.h"

// The object is also an invisible popup window of its own: it receives the shell's "TaskbarCreated" broadcast
// and work-area changes, and carries the timer of the icon cycle. Notifications from the icon go to the notify
// window given to Install (or to the private window when there is none).
class CSystemTray : public CWnd, private widgets::TrayShell {
public:
    CSystemTray();
    CSystemTray(CWnd* notifyWnd, UINT callbackMessage, const char* tip, HICON icon, UINT id, BOOL startHidden = FALSE);
    ~CSystemTray() override;

    // The balloon arguments are accepted for the callers' sake and not used: this icon shows no balloons.
    BOOL Install(CWnd* notifyWnd, UINT callbackMessage, const char* tip, HICON icon, UINT id, BOOL startHidden = FALSE,
                 const char* balloonText = nullptr, const char* balloonTitle = nullptr, DWORD balloonIcon = 0,
                 UINT balloonTimeout = 10);

    // One notification of the icon: the menu on a right-button release, the default command on a double-click.
    // 1 when handled, 0 when the id is not ours, there is no command target or the menu can't be loaded.
    virtual LRESULT HandleTrayEvent(WPARAM id, LPARAM event);
    // Called with the popup just before it is shown.
    virtual void PrepareTrayMenu(CMenu* popup);

    // Hiding a window into the tray and back, with the caption animation when the system has it switched on.
    static void HideToTray(CWnd* wnd, BOOL forceAnimation);
    static void RestoreFromTray(CWnd* wnd, BOOL forceAnimation);
    // Parents the window to the invisible owner, which takes its button off the taskbar.
    static BOOL DetachFromTaskbar(CWnd* wnd);
    static BOOL WindowAnimationEnabled();
    // The screen rectangle of the notification area, or the best guess at it.
    static void FindTrayArea(RECT* rect);

    // Presence in the notification area.
    BOOL AddToTray();
    BOOL RemoveFromTray();
    BOOL HideFromTray();
    BOOL ShowInTray();
    BOOL ReAddAtEnd();

    // Icon. Handles given here stay the caller's.
    BOOL ChangeIcon(HICON icon);
    BOOL ChangeIconFromResource(const char* name);
    BOOL ChangeIconFromResource(UINT id);
    BOOL ChangeToStockIcon(const char* name);
    BOOL ChangeToStockIcon(UINT id);
    HICON CurrentIcon() const;

    // Tip, cut to 127 bytes.
    BOOL ChangeTip(const char* tip);
    BOOL ChangeTip(const std::string& tip) { return ChangeTip(tip.c_str()); }
    BOOL ChangeTipFromResource(UINT id);
    std::string CurrentTip() const;

    // Where notifications and menu commands go.
    BOOL ChangeNotifyWindow(CWnd* notifyWnd);
    CWnd* NotifyWindow() const;
    BOOL SetCommandTarget(CWnd* target);
    CWnd* CommandTarget() const;
    BOOL ChangeCallbackMessage(UINT callbackMessage);
    UINT CallbackMessage() const;

    // The tray menu's default item, by command or by position.
    BOOL SetDefaultMenuCommand(UINT item, BOOL byPosition);
    void DefaultMenuCommand(UINT& item, BOOL& byPosition) const;

    // Icon cycling. The handles of the sequence are not owned.
    BOOL SetIconSequence(UINT firstId, UINT lastId);
    BOOL SetIconSequence(const HICON* icons, int count);
    BOOL StartIconCycle(UINT delayMs, UINT durationSeconds);
    BOOL AdvanceIconCycle();
    BOOL StopIconCycle();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    const fw::MessageMap* GetMessageMap() const override;

    // Identifier of the cycle's timer on the private window.
    static constexpr UINT_PTR kCycleTimerId = 4567;
    // The shell's broadcast after the taskbar is (re)created; registered once, when the program starts.
    static const UINT m_nTaskbarCreatedMsg;

    // Read-only views of the bookkeeping, for whoever needs to know where the icon stands.
    const widgets::TrayState& State() const { return m_state; }
    const NOTIFYICONDATAA& Record() const { return m_tnd; }

protected:
    static const fw::MessageMap* GetThisMessageMap();

    void OnTimer(UINT_PTR id);
    void OnSettingChange(UINT flags, const char* section);
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);

private:
    bool Notify(widgets::TrayShellOp op, unsigned flags) override;
    static BOOL CALLBACK ProbeTrayChild(HWND child, LPARAM area) noexcept;
    // Owns the icon that ChangeIconFromResource loaded, so that a re-add after a shell restart still shows it.
    void KeepLoadedIcon(HICON icon);

    // The window that hidden windows are parented to; made on first need and kept until the program ends.
    static CWnd m_wndInvisibleOwner;
    // Byte size of the tip field, the terminating zero included.
    static UINT m_nMaxTipLength;

    NOTIFYICONDATAA m_tnd{};
    widgets::TrayState m_state;
    CWnd* m_pTargetWnd = nullptr;
    std::vector<HICON> m_iconSequence;
    UINT_PTR m_nCycleTimer = 0;
    size_t m_nCyclePosition = 0;
    widgets::LocalDateTime m_cycleStart{};
    UINT m_nCycleDuration = 0;
    HICON m_hIconBeforeCycle = nullptr;
    UINT m_nDefaultMenuItem = 0;
    BOOL m_bDefaultByPosition = FALSE;
    platform::IconHandle m_loadedIcon; // the icon this object loaded itself, if any
};
