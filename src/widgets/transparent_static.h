// CTransparentStatic: a static text drawn straight onto its parent's background, without a box of its own.
#pragma once

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
