// CWinApp and the application-wide helpers: title, main window, icons, message boxes.
#include "framework/win_app.h"

#include "framework/message_box.h"
#include "framework/message_loop.h"
#include "framework/wnd.h"
#include "platform/module_path.h"
#include "platform/path_rules.h"

namespace {
CWinApp* theApplication = nullptr;
} // namespace

CWinApp::CWinApp() {
    theApplication = this;
}

CWinApp::~CWinApp() {
    if (theApplication == this) {
        theApplication = nullptr;
    }
}

int CWinApp::Run() {
    const HWND main = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
    m_nExitCode = fw::RunMessageLoop(main, [] { return true; }).value_or(m_nExitCode);
    return ExitInstance();
}

const fw::AppCommandEntry* CWinApp::FindCommand(UINT id) const {
    for (const fw::AppCommandEntry& entry : GetCommandMap()) {
        if (entry.id == id) {
            return &entry;
        }
    }
    return nullptr;
}

bool CWinApp::OnCmdMsg(UINT id) {
    const fw::AppCommandEntry* entry = FindCommand(id);
    if (entry != nullptr) {
        entry->call(*this);
    }
    return entry != nullptr;
}

CWinApp* AfxGetApp() {
    return theApplication;
}

CWnd* AfxGetMainWnd() {
    return theApplication != nullptr ? theApplication->m_pMainWnd : nullptr;
}

const char* AfxGetAppName() {
    return theApplication != nullptr ? theApplication->m_strAppName.c_str() : "";
}

bool AfxWinInit(HINSTANCE instance) {
    if (theApplication == nullptr) {
        return false;
    }
    theApplication->m_hInstance = instance;
    theApplication->m_strAppName = platform::FileStemOf(platform::ModulePath(instance), platform::IsCodePageLeadByte);
    return true;
}

int AfxMessageBox(const char* text, UINT style) {
    // Boxes given without an icon get the one that fits their buttons.
    if ((style & MB_ICONMASK) == 0) {
        switch (style & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            style |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            style |= MB_ICONQUESTION;
            break;
        default:
            break;
        }
    }
    // Owned by the main window's active popup, so the box stays in front of whatever the user sees.
    HWND owner = nullptr;
    if (CWnd* main = AfxGetMainWnd(); main != nullptr && main->m_hWnd != nullptr && ::IsWindow(main->m_hWnd)) {
        owner = ::GetLastActivePopup(main->m_hWnd);
    }
    return fw::ShowMessageBox(owner, text, AfxGetAppName(), style);
}
