// The standard controls: buttons, combo boxes and the tooltip control.
#include "framework/controls.h"

int CButton::GetCheck() const {
    return static_cast<int>(SendMessage(BM_GETCHECK));
}
void CButton::SetCheck(int check) {
    (void)SendMessage(BM_SETCHECK, static_cast<WPARAM>(check));
}
UINT CButton::GetState() const {
    return static_cast<UINT>(SendMessage(BM_GETSTATE));
}

int CComboBox::AddString(const std::string& text) {
    return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int CComboBox::GetCount() const {
    return static_cast<int>(SendMessage(CB_GETCOUNT));
}
int CComboBox::GetCurSel() const {
    return static_cast<int>(SendMessage(CB_GETCURSEL));
}
int CComboBox::SetCurSel(int index) {
    return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index)));
}

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

void CComboBox::ResetContent() {
    (void)SendMessage(CB_RESETCONTENT);
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

bool CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    const bool created = CreateEx(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, parent != nullptr ? parent->m_hWnd : nullptr, nullptr);
    return created;
}

void CToolTipCtrl::Activate(BOOL activate) {
    (void)SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(activate));
}

int CToolTipCtrl::SetMaxTipWidth(int width) {
    return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, static_cast<LPARAM>(width)));
}

int CToolTipCtrl::GetToolCount() const {
    return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT));
}

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

void CToolTipCtrl::RelayEvent(MSG* msg) {
    (void)SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}
