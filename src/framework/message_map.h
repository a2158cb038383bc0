// Message maps: a static table of entries per window class, chained to the base class's table, built with
// typed helpers that turn a member function into an entry.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>
#include <type_traits>

class CWnd;
class CCmdUI;
class CMenu;

namespace fw {

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
    UINT last = 0;  // last message or id of a range
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

template <auto Handler>
using ClassOf = typename MemberOf<decltype(Handler)>::Class;

template <auto Handler>
decltype(auto) Self(CWnd& wnd) {
    return static_cast<ClassOf<Handler>&>(wnd);
}

// Raw handlers: LRESULT(WPARAM, LPARAM), void(WPARAM, LPARAM) or void().
template <auto Handler>
LRESULT RawThunk(CWnd& wnd, WPARAM wParam, LPARAM lParam) {
    auto& self = Self<Handler>(wnd);
    if constexpr (requires { (self.*Handler)(wParam, lParam); }) {
        if constexpr (std::is_void_v<decltype((self.*Handler)(wParam, lParam))>) {
            (self.*Handler)(wParam, lParam);
            return 0;
        } else {
            return static_cast<LRESULT>((self.*Handler)(wParam, lParam));
        }
    } else {
        (self.*Handler)();
        return 0;
    }
}

template <auto Handler>
LRESULT CommandThunk(CWnd& wnd, WPARAM, LPARAM) {
    (Self<Handler>(wnd).*Handler)();
    return 0;
}

template <auto Handler>
LRESULT UpdateThunk(CWnd& wnd, WPARAM, LPARAM lParam) {
    (Self<Handler>(wnd).*Handler)(reinterpret_cast<CCmdUI*>(lParam));
    return 0;
}

} // namespace detail

// ---- Entries ----------------------------------------------------------------------------------------------

// Any window message; the handler is LRESULT(WPARAM, LPARAM), void(WPARAM, LPARAM) or void().
template <auto Handler>
constexpr MessageMapEntry OnMessage(UINT message) {
    return {EntryKind::Message, message, message, 0, nullptr, &detail::RawThunk<Handler>};
}

template <auto Handler>
constexpr MessageMapEntry OnMessageRange(UINT first, UINT last) {
    return {EntryKind::Message, first, last, 0, nullptr, &detail::RawThunk<Handler>};
}

// A registered message: the number is read from the variable when a message arrives.
template <auto Handler>
constexpr MessageMapEntry OnRegisteredMessage(const UINT& message) {
    return {EntryKind::Message, 0, 0, 0, &message, &detail::RawThunk<Handler>};
}

// A command (menu item, accelerator or button click): handler void().
template <auto Handler>
constexpr MessageMapEntry OnCommand(UINT id) {
    return {EntryKind::Command, id, id, 0, nullptr, &detail::CommandThunk<Handler>};
}

// A control notification such as CBN_SELCHANGE from control id: handler void().
template <auto Handler>
constexpr MessageMapEntry OnNotify(UINT code, UINT id) {
    return {EntryKind::Notify, id, id, code, nullptr, &detail::CommandThunk<Handler>};
}

// The update handler of a command: handler void(CCmdUI*).
template <auto Handler>
constexpr MessageMapEntry OnUpdateCommand(UINT id) {
    return {EntryKind::UpdateCommand, id, id, 0, nullptr, &detail::UpdateThunk<Handler>};
}

// ---- Typed message entries ----------------------------------------------------------------------------------

namespace detail {

template <auto Handler>
LRESULT TimerThunk(CWnd& wnd, WPARAM wParam, LPARAM) {
    (Self<Handler>(wnd).*Handler)(static_cast<UINT_PTR>(wParam));
    return 0;
}

template <auto Handler>
LRESULT SysCommandThunk(CWnd& wnd, WPARAM wParam, LPARAM lParam) {
    (Self<Handler>(wnd).*Handler)(static_cast<UINT>(wParam), lParam);
    return 0;
}

template <auto Handler>
LRESULT QueryDragIconThunk(CWnd& wnd, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((Self<Handler>(wnd).*Handler)());
}

template <auto Handler>
LRESULT EraseBkgndThunk(CWnd& wnd, WPARAM wParam, LPARAM) {
    return static_cast<LRESULT>((Self<Handler>(wnd).*Handler)(reinterpret_cast<HDC>(wParam)));
}

template <auto Handler>
LRESULT SettingChangeThunk(CWnd& wnd, WPARAM wParam, LPARAM lParam) {
    (Self<Handler>(wnd).*Handler)(static_cast<UINT>(wParam), reinterpret_cast<const char*>(lParam));
    return 0;
}

// Defined in wnd.cpp, where CWnd and CMenu are complete.
LRESULT InitMenuPopupCall(CWnd& wnd, WPARAM wParam, LPARAM lParam, void (*call)(CWnd&, CMenu*, UINT, BOOL));
LRESULT CtlColorCall(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam, HBRUSH (*call)(CWnd&, HDC, CWnd*, UINT));
UINT CurrentMessage(CWnd& wnd);

template <auto Handler>
LRESULT InitMenuPopupThunk(CWnd& wnd, WPARAM wParam, LPARAM lParam) {
    return InitMenuPopupCall(wnd, wParam, lParam, [](CWnd& w, CMenu* popup, UINT index, BOOL sysMenu) {
        (Self<Handler>(w).*Handler)(popup, index, sysMenu);
    });
}

template <auto Handler>
LRESULT CtlColorThunk(CWnd& wnd, WPARAM wParam, LPARAM lParam) {
    return CtlColorCall(wnd, CurrentMessage(wnd), wParam, lParam, [](CWnd& w, HDC dc, CWnd* control, UINT kind) {
        return (Self<Handler>(w).*Handler)(dc, control, kind);
    });
}

} // namespace detail

// WM_PAINT: void().
template <auto Handler>
constexpr MessageMapEntry OnWmPaint() {
    return OnMessage<Handler>(WM_PAINT);
}

// WM_TIMER: void(UINT_PTR id).
template <auto Handler>
constexpr MessageMapEntry OnWmTimer() {
    return {EntryKind::Message, WM_TIMER, WM_TIMER, 0, nullptr, &detail::TimerThunk<Handler>};
}

// WM_SYSCOMMAND: void(UINT command, LPARAM).
template <auto Handler>
constexpr MessageMapEntry OnWmSysCommand() {
    return {EntryKind::Message, WM_SYSCOMMAND, WM_SYSCOMMAND, 0, nullptr, &detail::SysCommandThunk<Handler>};
}

// WM_QUERYDRAGICON: HCURSOR().
template <auto Handler>
constexpr MessageMapEntry OnWmQueryDragIcon() {
    return {EntryKind::Message, WM_QUERYDRAGICON, WM_QUERYDRAGICON, 0, nullptr, &detail::QueryDragIconThunk<Handler>};
}

// WM_ERASEBKGND: BOOL(HDC).
template <auto Handler>
constexpr MessageMapEntry OnWmEraseBkgnd() {
    return {EntryKind::Message, WM_ERASEBKGND, WM_ERASEBKGND, 0, nullptr, &detail::EraseBkgndThunk<Handler>};
}

// WM_SETTINGCHANGE: void(UINT flags, const char* section).
template <auto Handler>
constexpr MessageMapEntry OnWmSettingChange() {
    return {EntryKind::Message, WM_SETTINGCHANGE, WM_SETTINGCHANGE, 0, nullptr, &detail::SettingChangeThunk<Handler>};
}

// WM_INITMENUPOPUP: void(CMenu* popup, UINT index, BOOL isSystemMenu).
template <auto Handler>
constexpr MessageMapEntry OnWmInitMenuPopup() {
    return {EntryKind::Message, WM_INITMENUPOPUP, WM_INITMENUPOPUP, 0, nullptr, &detail::InitMenuPopupThunk<Handler>};
}

// Every WM_CTLCOLOR... message: HBRUSH(HDC, CWnd* control, UINT kind), kind being CTLCOLOR_MSGBOX (0) to
// CTLCOLOR_STATIC (6).
template <auto Handler>
constexpr MessageMapEntry OnWmCtlColor() {
    return {EntryKind::Message, WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0, nullptr, &detail::CtlColorThunk<Handler>};
}

} // namespace fw
