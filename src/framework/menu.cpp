// CMenu: owned or borrowed menu handles and the few menu operations the program uses.
#include "framework/menu.h"

#include <utility>

#include "framework/wnd.h"

namespace {
thread_local HMENU trackingMenu = nullptr;
} // namespace

CMenu::~CMenu() {
    (void)DestroyMenu();
}

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

BOOL CMenu::LoadMenu(UINT resourceId, HINSTANCE instance) {
    (void)DestroyMenu();
    m_hMenu = ::LoadMenuA(instance != nullptr ? instance : ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId));
    m_bOwned = m_hMenu != nullptr;
    return m_hMenu != nullptr;
}

BOOL CMenu::CreatePopupMenu() {
    (void)DestroyMenu();
    m_hMenu = ::CreatePopupMenu();
    m_bOwned = m_hMenu != nullptr;
    return m_hMenu != nullptr;
}

BOOL CMenu::Attach(HMENU menu) {
    if (menu == nullptr) {
        return FALSE;
    }
    (void)DestroyMenu();
    m_hMenu = menu;
    m_bOwned = true;
    return TRUE;
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

int CMenu::GetMenuItemCount() const {
    return ::GetMenuItemCount(m_hMenu);
}
UINT CMenu::GetMenuItemID(int position) const {
    return ::GetMenuItemID(m_hMenu, position);
}
CMenu CMenu::GetSubMenu(int position) const {
    return Borrow(::GetSubMenu(m_hMenu, position));
}

std::string CMenu::GetMenuString(UINT item, UINT flags) const {
    char text[256] = {};
    const int length = ::GetMenuStringA(m_hMenu, item, text, sizeof(text), flags);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    return ::GetMenuState(m_hMenu, item, flags);
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idNewItem, const char* text) {
    return ::AppendMenuA(m_hMenu, flags, idNewItem, text);
}

UINT CMenu::CheckMenuItem(UINT item, UINT check) {
    return ::CheckMenuItem(m_hMenu, item, check);
}
UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
    return static_cast<UINT>(::EnableMenuItem(m_hMenu, item, enable));
}
BOOL CMenu::SetDefaultItem(UINT item, BOOL byPosition) {
    return ::SetMenuDefaultItem(m_hMenu, item, byPosition);
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
} // namespace fw
