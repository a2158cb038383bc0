// Thin objects over the standard controls the program binds: buttons, statics, edits, combo boxes, tooltips.
#pragma once

#include "framework/wnd.h"

#include <commctrl.h>

#include <string>

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) { (void)SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
};

class CStatic : public CWnd {};

class CEdit : public CWnd {};

class CComboBox : public CWnd {
public:
    // The new item's index, or CB_ERR.
    int AddString(const std::string& text) {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    // The index selected, or CB_ERR.
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    std::string GetLBText(int index) const;
    void ResetContent() { (void)SendMessage(CB_RESETCONTENT); }
};

// A tooltip window; destroyed with the object.
class CToolTipCtrl : public CWnd {
public:
    // Creates the tooltip as a popup owned by `parent`, with the extra style bits.
    [[nodiscard]] bool Create(CWnd* parent, DWORD style = 0) {
        return CreateEx(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, parent != nullptr ? parent->m_hWnd : nullptr, nullptr);
    }
    void Activate(BOOL activate) { (void)SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(activate)); }
    // The previous width (-1: none).
    int SetMaxTipWidth(int width) {
        return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, static_cast<LPARAM>(width)));
    }
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    [[nodiscard]] bool AddTool(CWnd* tool, const std::string& text, const RECT* toolRect = nullptr,
                               UINT_PTR toolId = 0);
    void UpdateTipText(const std::string& text, CWnd* tool, UINT_PTR toolId = 0);
    void RelayEvent(MSG* msg) { (void)SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
};
