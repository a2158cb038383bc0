// Whether a control shows its whole text.
#include "text_fit.h"

namespace testsupport {

namespace {

// The part of a button's client area that its text may use: inside the edge and the focus rectangle.
RECT ButtonTextArea(HWND button) {
    RECT area{};
    (void)GetClientRect(button, &area);
    const int inset = GetSystemMetrics(SM_CXEDGE) + 1;
    (void)InflateRect(&area, -inset, -inset);
    return area;
}

} // namespace

std::string TextCut(HWND control, const std::string& text, HFONT font) {
    if (text.empty()) {
        return {};
    }
    char className[32] = {};
    (void)GetClassNameA(control, className, sizeof className);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const bool button = lstrcmpiA(className, "Button") == 0;
    const bool groupBox = button && (style & BS_TYPEMASK) == BS_GROUPBOX;

    RECT area{};
    UINT format = DT_CALCRECT | DT_EXPANDTABS;
    if (groupBox) {
        (void)GetClientRect(control, &area);
        // The caption sits on the frame, indented from both ends.
        area.right -= 2 * (GetSystemMetrics(SM_CXEDGE) + 4);
        format |= DT_SINGLELINE;
    } else if (button) {
        area = ButtonTextArea(control);
        format |= (style & BS_MULTILINE) != 0 ? DT_WORDBREAK : DT_SINGLELINE;
    } else {
        (void)GetClientRect(control, &area);
        format |= (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP ? DT_SINGLELINE : DT_WORDBREAK;
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;

    const HDC dc = GetDC(control);
    if (font == nullptr) {
        font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    }
    const HGDIOBJ previous = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT needed{0, 0, width, 0};
    (void)DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &needed, format);
    RECT oneLine{0, 0, 0, 0};
    (void)DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &oneLine, DT_CALCRECT | DT_SINGLELINE);
    (void)SelectObject(dc, previous);
    (void)ReleaseDC(control, dc);

    const int neededWidth = needed.right - needed.left;
    const int neededHeight = needed.bottom - needed.top;
    if (neededWidth <= width && neededHeight <= height) {
        return {};
    }
    return "'" + text + "' (control " + std::to_string(GetDlgCtrlID(control)) + ") needs " +
           std::to_string(neededWidth) + "x" + std::to_string(neededHeight) + " pixels, has " + std::to_string(width) +
           "x" + std::to_string(height) + " (" + std::to_string(oneLine.right) + " on one line)";
}

} // namespace testsupport
