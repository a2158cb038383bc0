// Thin objects over the standard controls the program binds: buttons, statics, edits, combo boxes, tooltips.
#pragma once

#include "framework/wnd.h"

#include <commctrl.h>

#include <string>

class CButton : public CWnd {
public:
    int GetCheck() const;
    void SetCheck(int check);
    UINT GetState() const;
};

class CStatic : public CWnd {};

class CEdit : public CWnd {};

class CComboBox : public CWnd {
public:
    int AddString(const std::string& text);
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    std::string GetLBText(int index) const;
    void ResetContent();
};

// A tooltip window; destroyed with the object.
class CToolTipCtrl : public CWnd {
public:
    // Creates the tooltip as a popup owned by `parent`, with the extra style bits.
    bool Create(CWnd* parent, DWORD style = 0);
    void Activate(BOOL activate);
    int SetMaxTipWidth(int width);
    int GetToolCount() const;
    bool AddTool(CWnd* tool, const std::string& text, const RECT* toolRect = nullptr, UINT_PTR toolId = 0);
    void UpdateTipText(const std::string& text, CWnd* tool, UINT_PTR toolId = 0);
    void RelayEvent(MSG* msg);
};
