// CWnd: our object over one Win32 window, with the message-map dispatch that every window class shares.
#pragma once

#include <windows.h>

#include <string>

#include "framework/message_map.h"

class CMenu;
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
    // lives until the window is gone. Null for a null handle.
    static CWnd* FromHandle(HWND hWnd);
    // Only an object that our code bound to the window (created, subclassed or attached), else null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Binds a window without taking over its messages; Detach gives it back.
    bool Attach(HWND hWnd);
    HWND Detach();

    // Takes over the window's messages: they pass through this object's message map first.
    bool SubclassWindow(HWND hWnd);
    bool SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // Creates a window that this object owns and destroys. A class registered by AfxRegisterWndClass
    // routes messages from the first one on; other classes are subclassed after creation.
    bool CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU menu, void* param = nullptr);
    virtual bool DestroyWindow();

    // Messages.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default handling of the message being dispatched right now.
    LRESULT Default();
    // Called by the message loops for every queued message whose window is this one or a child of it,
    // before it is dispatched; true means the message has been dealt with.
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual const fw::MessageMap* GetMessageMap() const;

    // Text.
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void GetWindowText(std::string& text) const { text = GetWindowText(); }

    // Children, parents, state.
    CWnd* GetDlgItem(int id) const;
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* newParent);
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    CWnd* SetFocus();
    void UpdateWindow();
    void Invalidate(BOOL erase = TRUE);
    BOOL RedrawWindow(const RECT* update = nullptr, HRGN region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    BOOL SetForegroundWindow();
    CWnd* SetActiveWindow();
    void GetClientRect(RECT* rect) const;
    void GetWindowRect(RECT* rect) const;
    void CenterWindow(CWnd* alternateOwner = nullptr);
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    HICON SetIcon(HICON icon, BOOL big);
    HFONT GetFont() const;
    HMENU GetMenu() const;
    // The window's system menu as a borrowed handle (null when the window has none).
    HMENU GetSystemMenu(BOOL revert) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;

    // Timers of this window.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr);
    BOOL KillTimer(UINT_PTR id);

    // The command-update side of the map: runs the update handler of a command (true when there is one),
    // and tells whether a command has a handler at all.
    bool RunUpdateHandler(UINT id, CCmdUI* ui);
    virtual bool HasCommandHandler(UINT id) const;

    // The one window procedure of every window class that our code registers or subclasses.
    static LRESULT CALLBACK StaticWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

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
    friend class CCmdUI;
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
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC m_hDC = nullptr;
    PAINTSTRUCT m_ps{};
    operator HDC() const { return m_hDC; }

private:
    HWND m_hWnd;
};
