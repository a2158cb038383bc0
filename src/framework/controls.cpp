// The combo box's item text and the tooltip's tools.
#include "framework/controls.h"

std::string CComboBox::GetLBText(int index) const {
    const LRESULT length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR || length < 0) {
        return {};
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied = SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

namespace {

// The tool record in its oldest extended layout, which every version of the control accepts.
TTTOOLINFOA ToolInfo(HWND tool, UINT_PTR toolId) {
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = tool;
    info.uId = toolId;
    return info;
}

} // namespace

bool CToolTipCtrl::AddTool(CWnd* tool, const std::string& text, const RECT* toolRect, UINT_PTR toolId) {
    if (tool == nullptr) {
        return false;
    }
    TTTOOLINFOA info = ToolInfo(tool->m_hWnd, toolId);
    info.uFlags = 0; // the owner relays mouse messages itself (RelayEvent)
    if (toolRect != nullptr) {
        info.rect = *toolRect;
    } else {
        tool->GetClientRect(&info.rect);
    }
    info.lpszText = const_cast<char*>(text.c_str());
    return SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

void CToolTipCtrl::UpdateTipText(const std::string& text, CWnd* tool, UINT_PTR toolId) {
    if (tool == nullptr) {
        return;
    }
    TTTOOLINFOA info = ToolInfo(tool->m_hWnd, toolId);
    info.lpszText = const_cast<char*>(text.c_str());
    (void)SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}
