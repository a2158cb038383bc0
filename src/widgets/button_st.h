// CButtonST: a standard push button with a tooltip, on which a double-click counts as a second press.
#pragma once

#include <string>

#include "framework/controls.h"

class CButtonST : public CButton {
public:
    CButtonST() = default;
    ~CButtonST() override = default;

    // Sets the tooltip's text (a null text is ignored) and activates or silences the tooltip. The first call adds
    // the one tool, which covers the button's client rectangle as it is at that moment.
    void AssignTip(const char* text, BOOL activate = TRUE);
    void AssignTip(const std::string& text, BOOL activate = TRUE) { AssignTip(text.c_str(), activate); }
    // The text from a string resource; an empty or missing string changes nothing.
    void AssignTipFromResource(int id, BOOL activate = TRUE);
    // Activates or silences a tooltip that already holds its tool.
    void EnableTip(BOOL activate);
    // Balloon-shaped tips; takes effect only if the tooltip window doesn't exist yet. Returns 0.
    DWORD UseBalloonTips();

    // Shows every message bound for the button to the tooltip, and turns a double-click into a button-down.
    BOOL PreTranslateMessage(MSG* msg) override;
    const fw::MessageMap* GetMessageMap() const override;

protected:
    static const fw::MessageMap* GetThisMessageMap();
    // Creates the tooltip window once: silent, and wrapping texts wider than 400 pixels.
    void EnsureTipControl();

    CToolTipCtrl m_ToolTip;
    DWORD m_dwToolTipStyle = 0;
};
