// Dialog data exchange: moves values between a dialog's members and its controls, in either direction.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, bool saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    bool m_bSaveAndValidate; // true: controls to members; false: members to controls
    CWnd* m_pDlgWnd;

    // The control with this id in the dialog, or null.
    HWND PrepareCtrl(int id) const;
};

// Text of control id <-> value. Towards the control the text is sent only when it differs from what the
// control shows (texts of up to 255 characters are compared; longer ones are always sent).
void DDX_Text(CDataExchange* pDX, int id, std::string& value);

// Binds control id to the object the first time round (its messages then pass the object's message map).
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

namespace fw {
// Sets a window's text only when it differs from the current one, by the rule of DDX_Text.
void SetWindowTextIfChanged(HWND window, const std::string& text);
} // namespace fw
