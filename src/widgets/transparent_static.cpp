// CTransparentStatic: painting the text without a background, and repainting cleanly when it changes.
#include "widgets/transparent_static.h"

const fw::MessageMap* CTransparentStatic::GetThisMessageMap() {
    static const fw::MessageMapEntry entries[] = {
        fw::OnWmPaint<&CTransparentStatic::OnPaint>(),
        fw::OnMessage<&CTransparentStatic::OnSetText>(WM_SETTEXT),
    };
    static const fw::MessageMap map{&CWnd::GetThisMessageMap, entries};
    return &map;
}

const fw::MessageMap* CTransparentStatic::GetMessageMap() const {
    return GetThisMessageMap();
}

void CTransparentStatic::OnPaint() {
    CPaintDC dc(this);
    RECT client{};
    GetClientRect(&client);
    const std::string text = GetWindowText();
    const HFONT font = GetFont();
    const HGDIOBJ previousFont = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    (void)::SetBkMode(dc, TRANSPARENT);
    // Format 0: left and top aligned, lines broken only at line breaks, "&" underlines the next letter.
    (void)::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &client, 0);
    if (previousFont != nullptr) {
        (void)::SelectObject(dc, previousFont);
    }
}

LRESULT CTransparentStatic::OnSetText(WPARAM, LPARAM) {
    // A label that its owner has hidden stays hidden.
    const bool visible = (GetStyle() & WS_VISIBLE) != 0;
    if (visible) {
        (void)ShowWindow(SW_HIDE);
    }
    const LRESULT result = Default();
    if (visible) {
        (void)ShowWindow(SW_SHOW);
    }
    return result;
}
