// CMenu: a menu handle, destroyed with the object when the object made or loaded it.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CMenu {
public:
    CMenu() = default;
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    CMenu(CMenu&& other) noexcept;
    CMenu& operator=(CMenu&& other) noexcept;

    // A view of a menu that someone else owns; it is never destroyed through this object.
    static CMenu Borrow(HMENU menu);

    HMENU m_hMenu = nullptr;
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    // Owning operations: the menu is destroyed with this object (or by DestroyMenu).
    BOOL LoadMenu(UINT resourceId, HINSTANCE instance = nullptr);
    BOOL CreatePopupMenu();
    BOOL Attach(HMENU menu);
    HMENU Detach();
    BOOL DestroyMenu();

    int GetMenuItemCount() const;
    // The command of an item; 0 for a separator, (UINT)-1 for an item that opens a submenu.
    UINT GetMenuItemID(int position) const;
    // The submenu at a position, borrowed from this menu (null handle when there is none).
    CMenu GetSubMenu(int position) const;
    std::string GetMenuString(UINT item, UINT flags) const;
    UINT GetMenuState(UINT item, UINT flags) const;
    BOOL AppendMenu(UINT flags, UINT_PTR idNewItem = 0, const char* text = nullptr);
    UINT CheckMenuItem(UINT item, UINT check);
    UINT EnableMenuItem(UINT item, UINT enable);
    BOOL SetDefaultItem(UINT item, BOOL byPosition = FALSE);
    // Shows the popup; while it is open it counts as the menu being tracked (see fw::TrackingMenu).
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect = nullptr);

private:
    bool m_bOwned = false;
};

namespace fw {
// The popup that CMenu::TrackPopupMenu shows at the moment on this thread, else null.
HMENU TrackingMenu();
} // namespace fw
