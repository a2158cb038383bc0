// CButtonST: the tooltip of a push button and the double-click rule.
#include "widgets/button_st.h"

#include "widgets/resource_string.h"

namespace {

// The button's one tool.
constexpr UINT_PTR kToolId = 1;
constexpr int kMaxTipWidth = 400;

} // namespace

const fw::MessageMap* CButtonST::GetThisMessageMap() {
    static const fw::MessageMap map{&CWnd::GetThisMessageMap, {}};
    return &map;
}

const fw::MessageMap* CButtonST::GetMessageMap() const {
    return GetThisMessageMap();
}

void CButtonST::EnsureTipControl() {
    if (m_ToolTip.GetSafeHwnd() != nullptr) {
        return;
    }
    (void)m_ToolTip.Create(this, m_dwToolTipStyle);
    m_ToolTip.Activate(FALSE);
    (void)m_ToolTip.SetMaxTipWidth(kMaxTipWidth);
}

void CButtonST::AssignTip(const char* text, BOOL activate) {
    if (text == nullptr) {
        return;
    }
    EnsureTipControl();
    if (m_ToolTip.GetToolCount() == 0) {
        RECT client{};
        GetClientRect(&client);
        (void)m_ToolTip.AddTool(this, text, &client, kToolId);
    }
    m_ToolTip.UpdateTipText(text, this, kToolId);
    m_ToolTip.Activate(activate);
}

void CButtonST::AssignTipFromResource(int id, BOOL activate) {
    const std::string text = widgets::LoadResourceString(static_cast<UINT>(id));
    if (text.empty()) {
        return;
    }
    AssignTip(text, activate);
}

void CButtonST::EnableTip(BOOL activate) {
    if (m_ToolTip.GetSafeHwnd() != nullptr && m_ToolTip.GetToolCount() > 0) {
        m_ToolTip.Activate(activate);
    }
}

DWORD CButtonST::UseBalloonTips() {
    m_dwToolTipStyle |= TTS_BALLOON;
    return 0;
}

BOOL CButtonST::PreTranslateMessage(MSG* msg) {
    EnsureTipControl();
    m_ToolTip.RelayEvent(msg);
    // The tooltip has seen the double-click as it was; the button gets a plain press, so it counts a second click.
    if (msg->message == WM_LBUTTONDBLCLK) {
        msg->message = WM_LBUTTONDOWN;
    }
    return CButton::PreTranslateMessage(msg);
}
