// Dialog data exchange: text fields and control bindings.
#include "framework/data_exchange.h"

#include <cstring>

#include "framework/wnd.h"

HWND CDataExchange::PrepareCtrl(int id) const {
    if (m_pDlgWnd == nullptr || m_pDlgWnd->m_hWnd == nullptr) {
        return nullptr;
    }
    return ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
}

namespace fw {

void SetWindowTextIfChanged(HWND window, const std::string& text) {
    // Only texts that fit the comparison buffer are compared; a longer one is always sent.
    char current[256];
    const size_t newLength = std::strlen(text.c_str());
    if (newLength > sizeof(current) ||
        static_cast<size_t>(::GetWindowTextA(window, current, sizeof(current))) != newLength ||
        std::strcmp(current, text.c_str()) != 0) {
        (void)::SetWindowTextA(window, text.c_str());
    }
}

} // namespace fw

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    const HWND control = pDX->PrepareCtrl(id);
    if (control == nullptr) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        const int length = ::GetWindowTextLengthA(control);
        std::string text(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
        const int copied = ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        value = std::move(text);
    } else {
        fw::SetWindowTextIfChanged(control, value);
    }
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd != nullptr) {
        return;
    }
    const HWND window = pDX->PrepareCtrl(id);
    if (window != nullptr) {
        (void)control.SubclassWindow(window);
    }
}
