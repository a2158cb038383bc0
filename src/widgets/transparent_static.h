// CTransparentStatic: a static text drawn straight onto its parent's background, without a box of its own.
#pragma once

#include <string>

#include "framework/controls.h"

class CTransparentStatic : public CStatic {
public:
    CTransparentStatic() = default;
    ~CTransparentStatic() override = default;

    const fw::MessageMap* GetMessageMap() const override;

protected:
    static const fw::MessageMap* GetThisMessageMap();

    void OnPaint();
    // Hidden while the text changes, so the parent repaints the old letters away before the new ones appear.
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
};

// Changes the text of a static that is drawn on a see-through background (the hollow brush) without leaving
// a trace of the old text: hidden while the text changes, so the parent repaints the place first. A hidden
// control stays hidden; an unchanged text is not written.
void SetSeeThroughText(CWnd& label, const std::string& text);
