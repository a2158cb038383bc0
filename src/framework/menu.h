// CMenu: a menu handle, destroyed with the object when the object made or loaded it.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CMenu {
public:
    CMenu() = default;
    ~CMenu() { (void)DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    CMenu(CMenu&& other) noexcept;
    CMenu& operator=(CMenu&& other) noexcept;

    // A view of a menu that someone else owns; it is never destroyed through this object.
    static CMenu Borrow(HMENU menu);

    HMENU m_hMenu = nullptr;
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    // Owning operations: the menu held before is destroyed; the new one goes with this object (or by
    // DestroyMenu). False when there is no new menu.
    [[nodiscard]] BOOL Attach(HMENU menu);
    [[nodiscard]] BOOL LoadMenu(UINT resourceId, HINSTANCE instance = nullptr) {
        return Attach(
            ::LoadMenuA(instance != nullptr ? instance : ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId)));
    }
    [[nodiscard]] BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    HMENU Detach();
    // False when there was nothing of ours to destroy.
    BOOL DestroyMenu();

    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    // The command of an item; 0 for a separator, (UINT)-1 for an item that opens a submenu.
    UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
    // The submenu at a position, borrowed from this menu (null handle when there is none).
    CMenu GetSubMenu(int position) const { return Borrow(::GetSubMenu(m_hMenu, position)); }
    std::string GetMenuString(UINT item, UINT flags) const;
    UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(m_hMenu, item, flags); }
    [[nodiscard]] BOOL AppendMenu(UINT flags, UINT_PTR idNewItem = 0, const char* text = nullptr) {
        return ::AppendMenuA(m_hMenu, flags, idNewItem, text);
    }
    // The item's previous state, or (UINT)-1 when it does not exist.
    UINT CheckMenuItem(UINT item, UINT check) { return ::CheckMenuItem(m_hMenu, item, check); }
    UINT EnableMenuItem(UINT item, UINT enable) { return static_cast<UINT>(::EnableMenuItem(m_hMenu, item, enable)); }
    [[nodiscard]] BOOL SetDefaultItem(UINT item, BOOL byPosition = FALSE) {
        return ::SetMenuDefaultItem(m_hMenu, item, byPosition);
    }
    // Shows the popup; while it is open it counts as the menu being tracked (see fw::TrackingMenu).
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect = nullptr);

private:
    bool m_bOwned = false;
};

namespace fw {
// The popup that CMenu::TrackPopupMenu shows at the moment on this thread, else null.
HMENU TrackingMenu();
} // namespace fw
