// CWnd: our object over one Win32 window, with the message-map dispatch that every window class shares.
//
// Every window of the program lives on the UI thread. Procedures that the system calls (ours and the raw
// ones elsewhere in the program) are noexcept and catch what their body may throw: nothing unwinds into the
// system's code.
#pragma once

#include <windows.h>

#include <string>

#include "framework/message_map.h"

class CCmdUI;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object bound to a window: the permanent one when there is one, else a temporary wrapper that
    // lives until the window is gone. Null for a null handle, and when called off the UI thread.
    static CWnd* FromHandle(HWND hWnd);
    // Only an object that our code bound to the window (created or subclassed), else null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Takes over the window's messages: they pass through this object's message map first.
    [[nodiscard]] bool SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();

    // Creates a window that this object owns and destroys. A class registered by AfxRegisterWndClass
    // routes messages from the first one on; other classes are subclassed after creation.
    [[nodiscard]] bool CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                                int width, int height, HWND parent, HMENU menu, void* param = nullptr);
    [[nodiscard]] virtual bool DestroyWindow();

    // Messages.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    [[nodiscard]] bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
    }
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default handling of the message being dispatched right now.
    LRESULT Default() { return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam); }
    // Called by the message loop for every queued message whose window is this one or a child of it,
    // before it is dispatched; true means the message has been dealt with.
    virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }
    virtual const fw::MessageMap* GetMessageMap() const { return GetThisMessageMap(); }

    // Text.
    void SetWindowText(const std::string& text) { (void)::SetWindowTextA(m_hWnd, text.c_str()); }
    std::string GetWindowText() const;

    // Children, parents, state: the platform's calls on this window.
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    CWnd* SetParent(CWnd* newParent) {
        return FromHandle(::SetParent(m_hWnd, newParent != nullptr ? newParent->m_hWnd : nullptr));
    }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void UpdateWindow() { (void)::UpdateWindow(m_hWnd); }
    [[nodiscard]] BOOL RedrawWindow(const RECT* update = nullptr, HRGN region = nullptr,
                                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
        return ::RedrawWindow(m_hWnd, update, region, flags);
    }
    [[nodiscard]] BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    CWnd* SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
    void GetClientRect(RECT* rect) const { (void)::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT* rect) const { (void)::GetWindowRect(m_hWnd, rect); }
    void CenterWindow(CWnd* alternateOwner = nullptr);
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    // False when the style was already so.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    HICON SetIcon(HICON icon, BOOL big) {
        return reinterpret_cast<HICON>(
            SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
    // The window's system menu as a borrowed handle (null when the window has none).
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
    void CheckDlgButton(int id, UINT check) { (void)::CheckDlgButton(m_hWnd, id, check); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }

    // Timers of this window: 0 from SetTimer when none was started.
    [[nodiscard]] UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs) { return ::SetTimer(m_hWnd, id, elapseMs, nullptr); }
    [[nodiscard]] BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

    // The command-update side of the map: runs the update handler of a command (true when there is one),
    // and tells whether a command has a handler at all.
    bool RunUpdateHandler(UINT id, CCmdUI* ui);
    virtual bool HasCommandHandler(UINT id) const;

    // The one window procedure of every window class that our code registers or subclasses.
    static LRESULT CALLBACK StaticWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

protected:
    // Looks the message up in the map chain; false when no entry took it.
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // WM_COMMAND: menus, accelerators, buttons and control notifications.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    // After the last message of the window; the object is already detached.
    virtual void PostNcDestroy() {}

    static const fw::MessageMap* GetThisMessageMap();

    // Set for the procedure of the window we replaced (or DefWindowProcA for our own classes).
    WNDPROC m_pfnSuper = nullptr;

private:
    friend class CDialog;
    friend UINT fw::detail::CurrentMessage(CWnd& wnd);
    bool AttachPermanent(HWND hWnd);
    void DetachPermanent();
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    bool m_bOwnsWindow = false;
    bool m_bSubclassed = false;
    struct MessageInFlight {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    MessageInFlight m_current{};
};

// Registers (once per distinct set of arguments) a window class whose procedure is ours; returns its name.
std::string AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                HICON icon = nullptr);

// Painting context for WM_PAINT: BeginPaint in the constructor, EndPaint in the destructor.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }
    ~CPaintDC() { (void)::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC m_hDC = nullptr;
    PAINTSTRUCT m_ps{};
    operator HDC() const { return m_hDC; }

private:
    HWND m_hWnd;
};
