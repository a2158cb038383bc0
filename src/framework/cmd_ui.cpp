// CCmdUI and the walk that runs the update handlers of a popup menu's commands.
#include "framework/cmd_ui.h"

#include "framework/menu.h"
#include "framework/wnd.h"

// An item that opens a submenu is not changed through a command of that submenu.
void CCmdUI::Enable(BOOL on) {
    if (m_pMenu != nullptr && m_pSubMenu == nullptr) {
        (void)m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    }
    m_bEnableChanged = true;
}

void CCmdUI::SetCheck(int check) {
    if (m_pMenu != nullptr && m_pSubMenu == nullptr) {
        (void)m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (check != 0 ? MF_CHECKED : MF_UNCHECKED));
    }
}

bool CCmdUI::DoUpdate(CWnd* target, bool disableIfNoHandler) {
    if (target == nullptr || m_nID == 0 || LOWORD(m_nID) == 0xFFFF) {
        return true;
    }
    m_bEnableChanged = false;
    const bool handled = target->RunUpdateHandler(m_nID, this);
    if (disableIfNoHandler && !m_bEnableChanged) {
        Enable(target->HasCommandHandler(m_nID));
    }
    return handled;
}

namespace fw {

void UpdatePopupCommands(CWnd& target, CMenu& popup, CMenu* parentMenu) {
    CCmdUI state;
    state.m_pMenu = &popup;
    state.m_pParentMenu = parentMenu;
    state.m_nIndexMax = static_cast<UINT>(popup.GetMenuItemCount());
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; state.m_nIndex++) {
        state.m_nID = popup.GetMenuItemID(static_cast<int>(state.m_nIndex));
        if (state.m_nID == 0) {
            continue; // separator
        }
        if (state.m_nID == static_cast<UINT>(-1)) {
            // An item that opens a submenu stands for the submenu's first command.
            CMenu subMenu = popup.GetSubMenu(static_cast<int>(state.m_nIndex));
            if (subMenu.m_hMenu == nullptr) {
                continue;
            }
            state.m_nID = subMenu.GetMenuItemID(0);
            if (state.m_nID == 0 || state.m_nID == static_cast<UINT>(-1)) {
                continue;
            }
            state.m_pSubMenu = &subMenu;
            (void)state.DoUpdate(&target, true);
            state.m_pSubMenu = nullptr;
        } else {
            state.m_pSubMenu = nullptr;
            (void)state.DoUpdate(&target, false);
        }
        // An update handler may have removed items: step back by the loss, then past every item that
        // still carries the command just updated.
        const int count = popup.GetMenuItemCount();
        const UINT newCount = count > 0 ? static_cast<UINT>(count) : 0;
        if (newCount < state.m_nIndexMax) {
            state.m_nIndex -= state.m_nIndexMax - newCount;
            while (state.m_nIndex < newCount && popup.GetMenuItemID(static_cast<int>(state.m_nIndex)) == state.m_nID) {
                state.m_nIndex++;
            }
        }
        state.m_nIndexMax = newCount;
    }
}

} // namespace fw
