// CMenu: owned or borrowed menu handles, the popup being tracked, and the WM_INITMENUPOPUP entry's call.
#include "framework/menu.h"

#include <utility>

#include "framework/wnd.h"

namespace {
thread_local HMENU trackingMenu = nullptr;
} // namespace

CMenu::CMenu(CMenu&& other) noexcept
    : m_hMenu(std::exchange(other.m_hMenu, nullptr)), m_bOwned(std::exchange(other.m_bOwned, false)) {}

CMenu& CMenu::operator=(CMenu&& other) noexcept {
    if (this != &other) {
        (void)DestroyMenu();
        m_hMenu = std::exchange(other.m_hMenu, nullptr);
        m_bOwned = std::exchange(other.m_bOwned, false);
    }
    return *this;
}

CMenu CMenu::Borrow(HMENU menu) {
    CMenu view;
    view.m_hMenu = menu;
    return view;
}

BOOL CMenu::Attach(HMENU menu) {
    (void)DestroyMenu();
    m_hMenu = menu;
    m_bOwned = menu != nullptr;
    return menu != nullptr;
}

HMENU CMenu::Detach() {
    m_bOwned = false;
    return std::exchange(m_hMenu, nullptr);
}

BOOL CMenu::DestroyMenu() {
    const HMENU menu = std::exchange(m_hMenu, nullptr);
    const bool owned = std::exchange(m_bOwned, false);
    if (menu == nullptr || !owned) {
        return FALSE;
    }
    return ::DestroyMenu(menu);
}

std::string CMenu::GetMenuString(UINT item, UINT flags) const {
    char text[256] = {};
    const int length = ::GetMenuStringA(m_hMenu, item, text, sizeof(text), flags);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect) {
    const HMENU outer = std::exchange(trackingMenu, m_hMenu);
    const BOOL result = ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner != nullptr ? owner->m_hWnd : nullptr, rect);
    trackingMenu = outer;
    return result;
}

namespace fw {

HMENU TrackingMenu() {
    return trackingMenu;
}

namespace detail {

LRESULT InitMenuPopupCall(CWnd& wnd, WPARAM wParam, LPARAM lParam, void (*call)(CWnd&, CMenu*, UINT, BOOL)) {
    CMenu popup = CMenu::Borrow(reinterpret_cast<HMENU>(wParam));
    call(wnd, &popup, LOWORD(lParam), HIWORD(lParam));
    return 0;
}

} // namespace detail
} // namespace fw
