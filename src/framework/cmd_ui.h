// Command update: the state object handed to update handlers, and the walk over a popup menu's commands.
#pragma once

#include <windows.h>

class CWnd;
class CMenu;

class CCmdUI {
public:
    virtual ~CCmdUI() = default;

    UINT m_nID = 0;
    UINT m_nIndex = 0;              // position of the item in m_pMenu
    UINT m_nIndexMax = 0;           // item count of m_pMenu when last read
    CMenu* m_pMenu = nullptr;       // the popup being updated
    CMenu* m_pSubMenu = nullptr;    // set while the item opens a submenu
    CMenu* m_pParentMenu = nullptr; // the menu that holds m_pMenu, when known
    bool m_bEnableChanged = false;

    // Virtual so that a test can record what a handler asks for.
    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);

    // Runs the target's update handler for m_nID. Without one, and when asked, the item is enabled exactly
    // when the target has a command handler. Returns whether an update handler ran.
    bool DoUpdate(CWnd* target, bool disableIfNoHandler);
};

namespace fw {

// Runs the update handlers of `target` for the commands of `popup`, item by item, as a window with a menu
// does when one of its popups opens. `parentMenu` is the menu holding the popup (may be null).
void UpdatePopupCommands(CWnd& target, CMenu& popup, CMenu* parentMenu);

} // namespace fw
