// Message maps: a static table of entries per window class, chained to the base class's table, built with
// typed helpers that turn a member function into an entry.
#pragma once

#include <windows.h>

#include <span>
#include <type_traits>

class CWnd;
class CCmdUI;
class CMenu;

namespace fw {

// Unpacks the message's parameters and calls the handler on the window's object.
using Thunk = LRESULT (*)(CWnd& wnd, WPARAM wParam, LPARAM lParam);

enum class EntryKind : unsigned char {
    Message,       // a window message, or a range of them
    Command,       // WM_COMMAND from a menu, an accelerator or a button click (code 0)
    Notify,        // WM_COMMAND notification of a control (code, id)
    UpdateCommand, // the update handler of a command, run while a menu opens
};

struct MessageMapEntry {
    EntryKind kind = EntryKind::Message;
    UINT first = 0; // message, or command / control id
    UINT last = 0;  // last message of a range (the WM_CTLCOLOR... messages)
    UINT code = 0;  // notification code of a Notify entry
    // A message whose number the system gives at run time (RegisterWindowMessage); read at each dispatch.
    const UINT* registered = nullptr;
    Thunk thunk = nullptr;
};

struct MessageMap {
    const MessageMap* (*base)() = nullptr; // the base class's table, null at the root
    std::span<const MessageMapEntry> entries;
};

namespace detail {

template <typename T>
struct MemberOf;
template <typename C, typename F>
struct MemberOf<F C::*> {
    using Class = C;
};

// The object of the handler's class that the window's object is.
template <auto Handler>
decltype(auto) Self(CWnd& wnd) {
    return static_cast<typename MemberOf<decltype(Handler)>::Class&>(wnd);
}

// Defined where CMenu (menu.cpp) and CWnd (wnd.cpp) are complete.
LRESULT InitMenuPopupCall(CWnd& wnd, WPARAM wParam, LPARAM lParam, void (*call)(CWnd&, CMenu*, UINT, BOOL));
LRESULT CtlColorCall(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam, HBRUSH (*call)(CWnd&, HDC, CWnd*, UINT));
UINT CurrentMessage(CWnd& wnd);

constexpr MessageMapEntry Message(UINT first, UINT last, Thunk thunk) {
    return {EntryKind::Message, first, last, 0, nullptr, thunk};
}

} // namespace detail

// ---- Entries ----------------------------------------------------------------------------------------------

// Any window message; the handler is LRESULT(WPARAM, LPARAM), void(WPARAM, LPARAM) or void().
template <auto Handler>
constexpr MessageMapEntry OnMessage(UINT message) {
    return detail::Message(message, message, [](CWnd& wnd, WPARAM wParam, LPARAM lParam) -> LRESULT {
        auto& self = detail::Self<Handler>(wnd);
        if constexpr (!requires { (self.*Handler)(wParam, lParam); }) {
            (self.*Handler)();
            return 0;
        } else if constexpr (std::is_void_v<decltype((self.*Handler)(wParam, lParam))>) {
            (self.*Handler)(wParam, lParam);
            return 0;
        } else {
            return static_cast<LRESULT>((self.*Handler)(wParam, lParam));
        }
    });
}

// A registered message: the number is read from the variable when a message arrives.
template <auto Handler>
constexpr MessageMapEntry OnRegisteredMessage(const UINT& message) {
    MessageMapEntry entry = OnMessage<Handler>(0);
    entry.registered = &message;
    return entry;
}

// A command (menu item, accelerator or button click): handler void().
template <auto Handler>
constexpr MessageMapEntry OnCommand(UINT id) {
    return {EntryKind::Command, id, id, 0, nullptr, [](CWnd& wnd, WPARAM, LPARAM) -> LRESULT {
                (detail::Self<Handler>(wnd).*Handler)();
                return 0;
            }};
}

// A control notification such as CBN_SELCHANGE from control id: handler void().
template <auto Handler>
constexpr MessageMapEntry OnNotify(UINT code, UINT id) {
    MessageMapEntry entry = OnCommand<Handler>(id);
    entry.kind = EntryKind::Notify;
    entry.code = code;
    return entry;
}

// The update handler of a command: handler void(CCmdUI*).
template <auto Handler>
constexpr MessageMapEntry OnUpdateCommand(UINT id) {
    return {EntryKind::UpdateCommand, id, id, 0, nullptr, [](CWnd& wnd, WPARAM, LPARAM lParam) -> LRESULT {
                (detail::Self<Handler>(wnd).*Handler)(reinterpret_cast<CCmdUI*>(lParam));
                return 0;
            }};
}

// ---- Typed message entries: the parameters unpacked as the message defines them ---------------------------

// WM_PAINT: void().
template <auto Handler>
constexpr MessageMapEntry OnWmPaint() {
    return OnMessage<Handler>(WM_PAINT);
}

// WM_TIMER: void(UINT_PTR id).
template <auto Handler>
constexpr MessageMapEntry OnWmTimer() {
    return detail::Message(WM_TIMER, WM_TIMER, [](CWnd& wnd, WPARAM wParam, LPARAM) -> LRESULT {
        (detail::Self<Handler>(wnd).*Handler)(static_cast<UINT_PTR>(wParam));
        return 0;
    });
}

// WM_SYSCOMMAND: void(UINT command, LPARAM).
template <auto Handler>
constexpr MessageMapEntry OnWmSysCommand() {
    return detail::Message(WM_SYSCOMMAND, WM_SYSCOMMAND, [](CWnd& wnd, WPARAM wParam, LPARAM lParam) -> LRESULT {
        (detail::Self<Handler>(wnd).*Handler)(static_cast<UINT>(wParam), lParam);
        return 0;
    });
}

// WM_QUERYDRAGICON: HCURSOR().
template <auto Handler>
constexpr MessageMapEntry OnWmQueryDragIcon() {
    return detail::Message(WM_QUERYDRAGICON, WM_QUERYDRAGICON, [](CWnd& wnd, WPARAM, LPARAM) -> LRESULT {
        return reinterpret_cast<LRESULT>((detail::Self<Handler>(wnd).*Handler)());
    });
}

// WM_ERASEBKGND: BOOL(HDC).
template <auto Handler>
constexpr MessageMapEntry OnWmEraseBkgnd() {
    return detail::Message(WM_ERASEBKGND, WM_ERASEBKGND, [](CWnd& wnd, WPARAM wParam, LPARAM) -> LRESULT {
        return static_cast<LRESULT>((detail::Self<Handler>(wnd).*Handler)(reinterpret_cast<HDC>(wParam)));
    });
}

// WM_SETTINGCHANGE: void(UINT flags, const char* section).
template <auto Handler>
constexpr MessageMapEntry OnWmSettingChange() {
    return detail::Message(WM_SETTINGCHANGE, WM_SETTINGCHANGE, [](CWnd& wnd, WPARAM wParam, LPARAM lParam) -> LRESULT {
        (detail::Self<Handler>(wnd).*Handler)(static_cast<UINT>(wParam), reinterpret_cast<const char*>(lParam));
        return 0;
    });
}

// WM_INITMENUPOPUP: void(CMenu* popup, UINT index, BOOL isSystemMenu).
template <auto Handler>
constexpr MessageMapEntry OnWmInitMenuPopup() {
    return detail::Message(WM_INITMENUPOPUP, WM_INITMENUPOPUP, [](CWnd& wnd, WPARAM wParam, LPARAM lParam) {
        return detail::InitMenuPopupCall(wnd, wParam, lParam, [](CWnd& w, CMenu* popup, UINT index, BOOL sysMenu) {
            (detail::Self<Handler>(w).*Handler)(popup, index, sysMenu);
        });
    });
}

// Every WM_CTLCOLOR... message: HBRUSH(HDC, CWnd* control, UINT kind), kind being CTLCOLOR_MSGBOX (0) to
// CTLCOLOR_STATIC (6).
template <auto Handler>
constexpr MessageMapEntry OnWmCtlColor() {
    return detail::Message(WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, [](CWnd& wnd, WPARAM wParam, LPARAM lParam) {
        return detail::CtlColorCall(wnd, detail::CurrentMessage(wnd), wParam, lParam,
                                    [](CWnd& w, HDC dc, CWnd* control, UINT kind) {
                                        return (detail::Self<Handler>(w).*Handler)(dc, control, kind);
                                    });
    });
}

} // namespace fw
