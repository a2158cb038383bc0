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

namespace {

// Runs `change` with the control hidden, so that its parent repaints the control's place before the control
// draws itself again. A control that its owner has hidden stays hidden.
template <typename Change>
auto WhileHidden(CWnd& control, Change change) {
    const bool visible = (control.GetStyle() & WS_VISIBLE) != 0;
    if (visible) {
        (void)control.ShowWindow(SW_HIDE);
    }
    const auto result = change();
    if (visible) {
        (void)control.ShowWindow(SW_SHOW);
    }
    return result;
}

} // namespace

LRESULT CTransparentStatic::OnSetText(WPARAM, LPARAM) {
    return WhileHidden(*this, [this] { return Default(); });
}

void SetSeeThroughText(CWnd& label, const std::string& text) {
    if (label.GetWindowText() == text) {
        return;
    }
    (void)WhileHidden(label, [&] {
        label.SetWindowText(text);
        return 0;
    });
}
