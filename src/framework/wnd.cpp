// CWnd: binding objects to windows, the shared window procedure and the message-map dispatch.
#include "framework/wnd.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "framework/menu.h"

namespace {

// The permanent object of each window of ours. Kept in the process rather than in a window property: the
// procedure looks it up for every message, and asking the window system each time (as a property, with
// checks that the handle is alive and ours) made every message cost several round trips under Wine.
// Entries go when the window's last message (WM_NCDESTROY) detaches its object.
class PermanentObjects {
public:
    CWnd* Find(HWND hWnd) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = objects_.find(hWnd);
        return it != objects_.end() ? it->second : nullptr;
    }
    bool Insert(HWND hWnd, CWnd* wnd) {
        std::lock_guard<std::mutex> lock(mutex_);
        return objects_.emplace(hWnd, wnd).second;
    }
    void Erase(HWND hWnd, const CWnd* wnd) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (const auto it = objects_.find(hWnd); it != objects_.end() && it->second == wnd) {
            objects_.erase(it);
        }
    }

private:
    std::mutex mutex_;
    std::unordered_map<HWND, CWnd*> objects_;
};

// Never destroyed: windows of static objects (the tray's invisible owner) still receive their last
// messages while the statics are destroyed at exit.
PermanentObjects& Permanent() {
    static PermanentObjects* const objects = new PermanentObjects;
    return *objects;
}

// The object whose window is being created right now on this thread (by CreateEx with one of our classes).
thread_local CWnd* creatingWindow = nullptr;

// A wrapper lets go of its window before it goes, so its destructor never touches the window.
struct TemporaryDeleter {
    void operator()(CWnd* wrapper) const {
        wrapper->m_hWnd = nullptr;
        delete wrapper;
    }
};
using TemporaryObject = std::unique_ptr<CWnd, TemporaryDeleter>;

// Wrappers handed out by FromHandle for windows that have no permanent object.
std::unordered_map<HWND, TemporaryObject>& TemporaryObjects() {
    thread_local std::unordered_map<HWND, TemporaryObject> objects;
    return objects;
}

bool OwnedByThisProcess(HWND hWnd) {
    DWORD processId = 0;
    (void)::GetWindowThreadProcessId(hWnd, &processId);
    return processId == ::GetCurrentProcessId();
}

} // namespace

// ---- Binding objects to windows ------------------------------------------------------------------------------

CWnd::~CWnd() {
    if (m_hWnd == nullptr) {
        return;
    }
    const HWND hWnd = m_hWnd;
    const bool owns = m_bOwnsWindow;
    // Unbound first: messages sent while the window goes away must not reach a half-destroyed object.
    if (m_bSubclassed) {
        (void)UnsubclassWindow();
    } else {
        DetachPermanent();
    }
    if (owns) {
        (void)::DestroyWindow(hWnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    return hWnd != nullptr ? Permanent().Find(hWnd) : nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr) {
        return nullptr;
    }
    if (CWnd* permanent = FromHandlePermanent(hWnd)) {
        return permanent;
    }
    auto& temporaries = TemporaryObjects();
    if (auto it = temporaries.find(hWnd); it != temporaries.end()) {
        return it->second.get();
    }
    // Wrappers of windows that are gone are dropped here, so the table stays as small as the live windows.
    std::erase_if(temporaries, [](const auto& entry) { return !::IsWindow(entry.first); });
    TemporaryObject wrapper(new CWnd);
    wrapper->m_hWnd = hWnd;
    return temporaries.emplace(hWnd, std::move(wrapper)).first->second.get();
}

bool CWnd::AttachPermanent(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr || FromHandlePermanent(hWnd) != nullptr) {
        return false;
    }
    if (!::IsWindow(hWnd) || !OwnedByThisProcess(hWnd) || !Permanent().Insert(hWnd, this)) {
        return false;
    }
    m_hWnd = hWnd;
    TemporaryObjects().erase(hWnd);
    return true;
}

void CWnd::DetachPermanent() {
    if (m_hWnd != nullptr) {
        Permanent().Erase(m_hWnd, this);
    }
    m_hWnd = nullptr;
    m_bOwnsWindow = false;
    m_bSubclassed = false;
}

bool CWnd::Attach(HWND hWnd) {
    return AttachPermanent(hWnd);
}

HWND CWnd::Detach() {
    const HWND hWnd = m_hWnd;
    if (m_bSubclassed) {
        return UnsubclassWindow();
    }
    DetachPermanent();
    return hWnd;
}

bool CWnd::SubclassWindow(HWND hWnd) {
    if (!AttachPermanent(hWnd)) {
        return false;
    }
    const auto previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
    if (previous == nullptr) {
        DetachPermanent();
        return false;
    }
    // A window of one of our own classes already runs our procedure; its default is the system's.
    m_pfnSuper = previous == &CWnd::StaticWindowProc ? &::DefWindowProcA : previous;
    m_bSubclassed = true;
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (parent == nullptr || parent->m_hWnd == nullptr) {
        return false;
    }
    const HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control != nullptr && SubclassWindow(control);
}

HWND CWnd::UnsubclassWindow() {
    const HWND hWnd = m_hWnd;
    if (hWnd == nullptr) {
        return nullptr;
    }
    if (m_bSubclassed && m_pfnSuper != nullptr &&
        ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)) {
        (void)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    DetachPermanent();
    m_pfnSuper = nullptr;
    return hWnd;
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, void* param) {
    if (m_hWnd != nullptr) {
        return false;
    }
    CWnd* const outer = std::exchange(creatingWindow, this);
    const HWND hWnd = ::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent, menu,
                                        ::GetModuleHandleA(nullptr), param);
    const bool routedByOurProcedure = creatingWindow != this;
    creatingWindow = outer;
    if (hWnd == nullptr) {
        m_hWnd = nullptr;
        return false;
    }
    if (!routedByOurProcedure && !SubclassWindow(hWnd)) {
        (void)::DestroyWindow(hWnd);
        return false;
    }
    m_bOwnsWindow = true;
    return m_hWnd != nullptr;
}

bool CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) {
        return false;
    }
    const HWND hWnd = m_hWnd;
    const bool routed = ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&StaticWindowProc);
    const bool destroyed = ::DestroyWindow(hWnd) != FALSE;
    // A window whose messages we do not see cannot detach us at WM_NCDESTROY.
    if (destroyed && !routed && m_hWnd == hWnd) {
        DetachPermanent();
    }
    return destroyed;
}

// ---- Messages ------------------------------------------------------------------------------------------------

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (wnd == nullptr && creatingWindow != nullptr) {
        // The first message of a window that CreateEx is making (WM_GETMINMAXINFO or WM_NCCREATE).
        wnd = std::exchange(creatingWindow, nullptr);
        if (!wnd->AttachPermanent(hWnd)) {
            return ::DefWindowProcA(hWnd, message, wParam, lParam);
        }
        wnd->m_pfnSuper = &::DefWindowProcA;
    }
    if (wnd == nullptr) {
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    }
    try {
        return wnd->Dispatch(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind into the system's code; the message counts as handled with result 0.
        return 0;
    }
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    {
        const MessageInFlight saved = std::exchange(m_current, MessageInFlight{message, wParam, lParam});
        struct Restore {
            MessageInFlight& slot;
            MessageInFlight value;
            ~Restore() { slot = value; }
        } restore{m_current, saved};
        result = WindowProc(message, wParam, lParam);
    }
    if (message == WM_NCDESTROY && m_hWnd != nullptr) {
        (void)UnsubclassWindow();
        PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) {
        result = DefWindowProc(message, wParam, lParam);
    }
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr) {
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    }
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

const fw::MessageMap* CWnd::GetThisMessageMap() {
    static const fw::MessageMap map{nullptr, {}};
    return &map;
}

const fw::MessageMap* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    if (message == WM_COMMAND) {
        return OnCommand(wParam, lParam);
    }
    for (const fw::MessageMap* map = GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
        for (const fw::MessageMapEntry& entry : map->entries) {
            if (entry.kind != fw::EntryKind::Message) {
                continue;
            }
            const bool matches = entry.registered != nullptr ? (*entry.registered != 0 && message == *entry.registered)
                                                             : (message >= entry.first && message <= entry.last);
            if (matches) {
                *result = entry.thunk(*this, wParam, lParam);
                return true;
            }
        }
    }
    return false;
}

bool CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    // Menus and accelerators carry no control handle; they are commands whatever their code says.
    const UINT code = lParam == 0 ? 0 : HIWORD(wParam);
    for (const fw::MessageMap* map = GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
        for (const fw::MessageMapEntry& entry : map->entries) {
            const bool inRange = id >= entry.first && id <= entry.last;
            const bool matches = inRange && ((entry.kind == fw::EntryKind::Command && code == 0) ||
                                             (entry.kind == fw::EntryKind::Notify && entry.code == code));
            if (matches) {
                (void)entry.thunk(*this, wParam, lParam);
                return true;
            }
        }
    }
    return false;
}

bool CWnd::RunUpdateHandler(UINT id, CCmdUI* ui) {
    for (const fw::MessageMap* map = GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
        for (const fw::MessageMapEntry& entry : map->entries) {
            if (entry.kind == fw::EntryKind::UpdateCommand && id >= entry.first && id <= entry.last) {
                (void)entry.thunk(*this, 0, reinterpret_cast<LPARAM>(ui));
                return true;
            }
        }
    }
    return false;
}

bool CWnd::HasCommandHandler(UINT id) const {
    for (const fw::MessageMap* map = GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
        for (const fw::MessageMapEntry& entry : map->entries) {
            if (entry.kind == fw::EntryKind::Command && id >= entry.first && id <= entry.last) {
                return true;
            }
        }
    }
    return false;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
}

// ---- Text, state, geometry -----------------------------------------------------------------------------------

void CWnd::SetWindowText(const std::string& text) {
    (void)::SetWindowTextA(m_hWnd, text.c_str());
}

std::string CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

CWnd* CWnd::GetDlgItem(int id) const {
    return FromHandle(::GetDlgItem(m_hWnd, id));
}
CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::SetParent(CWnd* newParent) {
    return FromHandle(::SetParent(m_hWnd, newParent != nullptr ? newParent->m_hWnd : nullptr));
}

BOOL CWnd::ShowWindow(int command) {
    return ::ShowWindow(m_hWnd, command);
}
BOOL CWnd::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}
BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}
BOOL CWnd::EnableWindow(BOOL enable) {
    return ::EnableWindow(m_hWnd, enable);
}
CWnd* CWnd::SetFocus() {
    return FromHandle(::SetFocus(m_hWnd));
}
void CWnd::UpdateWindow() {
    (void)::UpdateWindow(m_hWnd);
}
void CWnd::Invalidate(BOOL erase) {
    (void)::InvalidateRect(m_hWnd, nullptr, erase);
}

BOOL CWnd::RedrawWindow(const RECT* update, HRGN region, UINT flags) {
    return ::RedrawWindow(m_hWnd, update, region, flags);
}

BOOL CWnd::SetForegroundWindow() {
    return ::SetForegroundWindow(m_hWnd);
}
CWnd* CWnd::SetActiveWindow() {
    return FromHandle(::SetActiveWindow(m_hWnd));
}
void CWnd::GetClientRect(RECT* rect) const {
    (void)::GetClientRect(m_hWnd, rect);
}
void CWnd::GetWindowRect(RECT* rect) const {
    (void)::GetWindowRect(m_hWnd, rect);
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
    RECT window{};
    GetWindowRect(&window);
    // Centred on the given window (or on the owner), and kept inside the work area of its monitor.
    HWND center = alternateOwner != nullptr ? alternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    (void)::GetMonitorInfoA(::MonitorFromWindow(center != nullptr ? center : m_hWnd, MONITOR_DEFAULTTONEAREST),
                            &monitor);
    RECT area = monitor.rcWork;
    RECT around = area;
    if (center != nullptr) {
        (void)::GetWindowRect(center, &around);
    }
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int left = (around.left + around.right) / 2 - width / 2;
    int top = (around.top + around.bottom) / 2 - height / 2;
    if (left + width > area.right) {
        left = area.right - width;
    }
    if (left < area.left) {
        left = area.left;
    }
    if (top + height > area.bottom) {
        top = area.bottom - height;
    }
    if (top < area.top) {
        top = area.top;
    }
    (void)::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DWORD CWnd::GetStyle() const {
    return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE));
}
DWORD CWnd::GetExStyle() const {
    return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE));
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    const DWORD style = GetStyle();
    const DWORD newStyle = (style & ~remove) | add;
    if (style == newStyle) {
        return FALSE;
    }
    (void)::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(newStyle));
    if (swpFlags != 0) {
        (void)::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                             SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    }
    return TRUE;
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

HFONT CWnd::GetFont() const {
    return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
}
HMENU CWnd::GetMenu() const {
    return ::GetMenu(m_hWnd);
}
HMENU CWnd::GetSystemMenu(BOOL revert) const {
    return ::GetSystemMenu(m_hWnd, revert);
}
void CWnd::CheckDlgButton(int id, UINT check) {
    (void)::CheckDlgButton(m_hWnd, id, check);
}
UINT CWnd::IsDlgButtonChecked(int id) const {
    return ::IsDlgButtonChecked(m_hWnd, id);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    return ::SetTimer(m_hWnd, id, elapseMs, proc);
}
BOOL CWnd::KillTimer(UINT_PTR id) {
    return ::KillTimer(m_hWnd, id);
}

// ---- Window classes and painting -----------------------------------------------------------------------------

std::string AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    char name[96];
    (void)std::snprintf(name, sizeof(name), "BrisklaneFw:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                        static_cast<void*>(background), static_cast<void*>(icon));
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA existing{};
    if (!::GetClassInfoA(instance, name, &existing)) {
        WNDCLASSA windowClass{};
        windowClass.style = classStyle;
        windowClass.lpfnWndProc = &CWnd::StaticWindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = cursor;
        windowClass.hbrBackground = background;
        windowClass.hIcon = icon;
        windowClass.lpszClassName = name;
        if (::RegisterClassA(&windowClass) == 0) {
            return {};
        }
    }
    return name;
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) {
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    (void)::EndPaint(m_hWnd, &m_ps);
}

// ---- Helpers for typed message-map entries -------------------------------------------------------------------

namespace fw::detail {

UINT CurrentMessage(CWnd& wnd) {
    return wnd.m_current.message;
}

LRESULT InitMenuPopupCall(CWnd& wnd, WPARAM wParam, LPARAM lParam, void (*call)(CWnd&, CMenu*, UINT, BOOL)) {
    CMenu popup = CMenu::Borrow(reinterpret_cast<HMENU>(wParam));
    call(wnd, &popup, LOWORD(lParam), HIWORD(lParam));
    return 0;
}

LRESULT CtlColorCall(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam, HBRUSH (*call)(CWnd&, HDC, CWnd*, UINT)) {
    const UINT kind = message - WM_CTLCOLORMSGBOX;
    return reinterpret_cast<LRESULT>(
        call(wnd, reinterpret_cast<HDC>(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), kind));
}

} // namespace fw::detail
