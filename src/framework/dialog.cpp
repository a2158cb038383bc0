// CDialog: creation from a template, our modal loop, data exchange and the OK and Cancel commands.
#include "framework/dialog.h"

#include <cstdint>
#include <span>

#include "framework/data_exchange.h"
#include "framework/dialog_init_data.h"
#include "framework/message_loop.h"
#include "framework/win_app.h"

namespace {

// Resource type of a dialog's initialisation data.
constexpr WORD kDialogInitResourceType = 240;

} // namespace

CDialog::~CDialog() {
    if (m_hWnd != nullptr) {
        // A dialog still open when its object goes: its window goes too.
        const HWND hWnd = UnsubclassWindow();
        (void)::DestroyWindow(hWnd);
    }
}

const fw::MessageMap* CDialog::GetThisMessageMap() {
    static const fw::MessageMapEntry entries[] = {
        fw::OnCommand<&CDialog::OnOK>(IDOK),
        fw::OnCommand<&CDialog::OnCancel>(IDCANCEL),
    };
    static const fw::MessageMap map{&CWnd::GetThisMessageMap, entries};
    return &map;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message != WM_INITDIALOG) {
        // Everything after initialisation reaches our window procedure first; what arrives here is the
        // default handling asking whether the dialog wants the message, and it does not.
        return FALSE;
    }
    try {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        if (dialog == nullptr || !dialog->SubclassWindow(hWnd)) {
            return TRUE;
        }
        dialog->ExecuteDlgInit();
        return dialog->Dispatch(WM_INITDIALOG, wParam, lParam) != 0 ? TRUE : FALSE;
    } catch (...) {
        return TRUE;
    }
}

bool CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_INITDIALOG) {
        *result = OnInitDialog();
        return true;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        return TRUE; // the dialog manager's default: focus on the first tab stop
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}

void CDialog::ExecuteDlgInit() {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    const HRSRC found =
        ::FindResourceA(instance, MAKEINTRESOURCEA(m_nIDTemplate), MAKEINTRESOURCEA(kDialogInitResourceType));
    if (found == nullptr) {
        return;
    }
    const HGLOBAL loaded = ::LoadResource(instance, found);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return;
    }
    const std::span<const std::uint8_t> data(static_cast<const std::uint8_t*>(bytes),
                                             ::SizeofResource(instance, found));
    for (const fw::DialogInitRecord& record : fw::ParseDialogInitData(data)) {
        const HWND control = ::GetDlgItem(m_hWnd, record.controlId);
        if (control == nullptr) {
            continue;
        }
        if (record.message == fw::kDialogInitComboAdd) {
            (void)::SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record.text.c_str()));
        } else if (record.message == fw::kDialogInitListAdd) {
            (void)::SendMessageA(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record.text.c_str()));
        }
    }
}

BOOL CDialog::OnInitDialog() {
    (void)UpdateData(false);
    return TRUE;
}

bool CDialog::UpdateData(bool saveAndValidate) {
    if (m_hWnd == nullptr) {
        return false;
    }
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return true;
}

void CDialog::OnOK() {
    if (!UpdateData(true)) {
        return;
    }
    EndDialog(IDOK);
}

bool CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCommand(wParam, lParam)) {
        return true;
    }
    // Plain commands that no window took go to the application's command map.
    const bool plainCommand = lParam == 0 || HIWORD(wParam) == 0;
    CWinApp* app = AfxGetApp();
    return plainCommand && app != nullptr && app->OnCmdMsg(LOWORD(wParam));
}

bool CDialog::HasCommandHandler(UINT id) const {
    if (CWnd::HasCommandHandler(id)) {
        return true;
    }
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->HasCommand(id);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    // Keyboard and mouse input for the dialog or its controls gets the dialog manager's navigation.
    const bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                       (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST);
    if (!input || m_hWnd == nullptr) {
        return FALSE;
    }
    return ::IsDialogMessageA(m_hWnd, msg);
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    if (m_bContinueModal) {
        m_bContinueModal = false;
        // Wakes the loop if it sits in GetMessage.
        (void)::PostMessageA(m_hWnd, WM_NULL, 0, 0);
    }
    if (m_hWnd != nullptr) {
        (void)::EndDialog(m_hWnd, result);
    }
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr) {
        return -1;
    }
    // A dialog without a parent is owned by the application's main window, if that is another window.
    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    if (owner == nullptr) {
        CWnd* main = AfxGetMainWnd();
        if (main != nullptr && main != this && main->m_hWnd != nullptr && ::IsWindow(main->m_hWnd)) {
            owner = main->m_hWnd;
        }
    }
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner) {
        (void)::EnableWindow(owner, FALSE);
    }

    m_nModalResult = -1;
    m_bContinueModal = true;
    const HWND created = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                                              &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (created != nullptr && m_bContinueModal) {
        // A modal dialog shows itself even when its template is not marked visible, as the platform's own
        // modal dialogs do (the About box's template is such a one).
        if (!::IsWindowVisible(created)) {
            (void)::ShowWindow(created, SW_SHOWNORMAL);
        }
        const auto quit =
            fw::RunMessageLoop(created, [this] { return m_bContinueModal && m_hWnd != nullptr && ::IsWindow(m_hWnd); });
        if (quit) {
            // Someone asked the thread to quit: the loop outside sees the request too.
            ::PostQuitMessage(*quit);
        }
    }
    m_bContinueModal = false;

    // The owner comes back before the dialog goes, so activation returns to it.
    if (disableOwner) {
        (void)::EnableWindow(owner, TRUE);
    }
    if (m_hWnd != nullptr) {
        (void)::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                             SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (owner != nullptr && ::GetActiveWindow() == m_hWnd) {
            (void)::SetActiveWindow(owner);
        }
        (void)CWnd::DestroyWindow();
    } else if (created != nullptr && ::IsWindow(created)) {
        (void)::DestroyWindow(created);
    }
    return m_nModalResult;
}
