// CWnd: binding objects to windows, the shared window procedure and the message-map dispatch.
#include "framework/wnd.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <utility>

namespace {

// The objects bound to windows, permanent (bound by our code) or temporary (wrappers that FromHandle hands
// out for other windows). Kept in the process rather than in a window property: the procedure looks its
// object up for every message, and asking the window system each time made every message cost several
// round trips under Wine.
//
// Every window of the program lives on the UI thread, taken to be the first thread that uses the table,
// so the table takes no lock. A call from any other thread is a fault of the program: it is refused (the
// window counts as unknown, nothing is bound) and reported once to the debugger, in every build, rather
// than racing the UI thread or ending the program in the user's face.
class HandleMap {
public:
    CWnd* Find(HWND hWnd) {
        if (!OnUiThread()) {
            return nullptr;
        }
        const auto it = entries_.find(hWnd);
        return it != entries_.end() ? it->second.permanent : nullptr;
    }

    CWnd* FindOrWrap(HWND hWnd) {
        if (!OnUiThread()) {
            return nullptr;
        }
        if (const auto it = entries_.find(hWnd); it != entries_.end()) {
            return it->second.permanent != nullptr ? it->second.permanent : it->second.temporary.get();
        }
        // Wrappers of windows that are gone are dropped here, so the table stays as small as the live windows.
        std::erase_if(entries_, [](const auto& entry) { return entry.second.temporary && !::IsWindow(entry.first); });
        Entry& entry = entries_[hWnd];
        entry.temporary.reset(new CWnd);
        entry.temporary->m_hWnd = hWnd;
        return entry.temporary.get();
    }

    // Binds the object, replacing a temporary wrapper; false when the window has a permanent object.
    bool Bind(HWND hWnd, CWnd* wnd) {
        if (!OnUiThread()) {
            return false;
        }
        Entry& entry = entries_[hWnd];
        if (entry.permanent != nullptr) {
            return false;
        }
        entry.temporary.reset();
        entry.permanent = wnd;
        return true;
    }

    void Unbind(HWND hWnd, const CWnd* wnd) {
        if (!OnUiThread()) {
            return;
        }
        if (const auto it = entries_.find(hWnd); it != entries_.end() && it->second.permanent == wnd) {
            entries_.erase(it);
        }
    }

private:
    // A wrapper lets go of its window before it goes, so its destructor never touches the window.
    struct ReleaseWrapper {
        void operator()(CWnd* wrapper) const {
            wrapper->m_hWnd = nullptr;
            delete wrapper;
        }
    };
    struct Entry {
        CWnd* permanent = nullptr;
        std::unique_ptr<CWnd, ReleaseWrapper> temporary;
    };

    bool OnUiThread() {
        const DWORD caller = ::GetCurrentThreadId();
        DWORD expected = 0;
        if (uiThread_.compare_exchange_strong(expected, caller) || expected == caller) {
            return true;
        }
        if (!reported_.exchange(true)) {
            ::OutputDebugStringA("Brisklane: a window object was used off the UI thread; the call was refused\n");
        }
        return false;
    }

    std::atomic<DWORD> uiThread_{0};
    std::atomic<bool> reported_{false};
    std::unordered_map<HWND, Entry> entries_;
};

// Never destroyed: windows of static objects (the tray's invisible owner) still receive their last
// messages while the statics are destroyed at exit.
HandleMap& Handles() {
    static HandleMap* const handles = new HandleMap;
    return *handles;
}

// The object whose window is being created right now on this thread (by CreateEx with one of our classes).
thread_local CWnd* creatingWindow = nullptr;

bool OwnedByThisProcess(HWND hWnd) {
    DWORD processId = 0;
    (void)::GetWindowThreadProcessId(hWnd, &processId);
    return processId == ::GetCurrentProcessId();
}

// The first entry of the window's map chain, from its own class's map to the root, that `matches` takes.
template <typename Match>
const fw::MessageMapEntry* FindEntry(const CWnd& wnd, Match matches) {
    for (const fw::MessageMap* map = wnd.GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
        for (const fw::MessageMapEntry& entry : map->entries) {
            if (matches(entry)) {
                return &entry;
            }
        }
    }
    return nullptr;
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
    (void)UnsubclassWindow();
    if (owns) {
        (void)::DestroyWindow(hWnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    return hWnd != nullptr ? Handles().Find(hWnd) : nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    return hWnd != nullptr ? Handles().FindOrWrap(hWnd) : nullptr;
}

bool CWnd::AttachPermanent(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr || !::IsWindow(hWnd) || !OwnedByThisProcess(hWnd) ||
        !Handles().Bind(hWnd, this)) {
        return false;
    }
    m_hWnd = hWnd;
    return true;
}

void CWnd::DetachPermanent() {
    if (m_hWnd != nullptr) {
        Handles().Unbind(m_hWnd, this);
    }
    m_hWnd = nullptr;
    m_bOwnsWindow = false;
    m_bSubclassed = false;
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

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
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

const fw::MessageMap* CWnd::GetThisMessageMap() {
    static const fw::MessageMap map{nullptr, {}};
    return &map;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    if (message == WM_COMMAND) {
        return OnCommand(wParam, lParam);
    }
    const fw::MessageMapEntry* entry = FindEntry(*this, [message](const fw::MessageMapEntry& e) {
        if (e.kind != fw::EntryKind::Message) {
            return false;
        }
        return e.registered != nullptr ? (*e.registered != 0 && message == *e.registered)
                                       : (message >= e.first && message <= e.last);
    });
    if (entry == nullptr) {
        return false;
    }
    *result = entry->thunk(*this, wParam, lParam);
    return true;
}

bool CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    // Menus and accelerators carry no control handle; they are commands whatever their code says.
    const UINT code = lParam == 0 ? 0 : HIWORD(wParam);
    const fw::MessageMapEntry* entry = FindEntry(*this, [id, code](const fw::MessageMapEntry& e) {
        return e.first == id &&
               ((e.kind == fw::EntryKind::Command && code == 0) || (e.kind == fw::EntryKind::Notify && e.code == code));
    });
    if (entry == nullptr) {
        return false;
    }
    (void)entry->thunk(*this, wParam, lParam);
    return true;
}

bool CWnd::RunUpdateHandler(UINT id, CCmdUI* ui) {
    const fw::MessageMapEntry* entry = FindEntry(
        *this, [id](const fw::MessageMapEntry& e) { return e.kind == fw::EntryKind::UpdateCommand && e.first == id; });
    if (entry == nullptr) {
        return false;
    }
    (void)entry->thunk(*this, 0, reinterpret_cast<LPARAM>(ui));
    return true;
}

bool CWnd::HasCommandHandler(UINT id) const {
    return FindEntry(*this, [id](const fw::MessageMapEntry& e) {
               return e.kind == fw::EntryKind::Command && e.first == id;
           }) != nullptr;
}

// ---- Text and geometry ---------------------------------------------------------------------------------------

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

void CWnd::CenterWindow(CWnd* alternateOwner) {
    RECT window{};
    GetWindowRect(&window);
    // Centred on the given window (or on the owner), and kept inside the work area of its monitor; a window
    // larger than the area keeps its top left corner in it.
    HWND center = alternateOwner != nullptr ? alternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    (void)::GetMonitorInfoA(::MonitorFromWindow(center != nullptr ? center : m_hWnd, MONITOR_DEFAULTTONEAREST),
                            &monitor);
    const RECT area = monitor.rcWork;
    RECT around = area;
    if (center != nullptr) {
        (void)::GetWindowRect(center, &around);
    }
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    const LONG left =
        std::max<LONG>(area.left, std::min<LONG>((around.left + around.right) / 2 - width / 2, area.right - width));
    const LONG top =
        std::max<LONG>(area.top, std::min<LONG>((around.top + around.bottom) / 2 - height / 2, area.bottom - height));
    (void)::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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

// ---- Window classes ------------------------------------------------------------------------------------------

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

// ---- Helpers for typed message-map entries -------------------------------------------------------------------

namespace fw::detail {

UINT CurrentMessage(CWnd& wnd) {
    return wnd.m_current.message;
}

LRESULT CtlColorCall(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam, HBRUSH (*call)(CWnd&, HDC, CWnd*, UINT)) {
    const UINT kind = message - WM_CTLCOLORMSGBOX;
    return reinterpret_cast<LRESULT>(
        call(wnd, reinterpret_cast<HDC>(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), kind));
}

} // namespace fw::detail
