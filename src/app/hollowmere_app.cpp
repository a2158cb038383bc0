// Start-up and shutdown of the application: common controls, the skin layer and the main dialog's run.
#include "app/hollowmere_app.h"

#include <commctrl.h>

#include "app/skin.h"
#include "ui/hollowmere_dlg.h"

namespace {
// The framework's registry key; the program keeps none of its preferences there.
constexpr const char* kFrameworkRegistryKey = "Local AppWizard-Generated Applications";
} // namespace

std::span<const fw::AppCommandEntry> CHollowmereApp::GetCommandMap() const {
    static const fw::AppCommandEntry entries[] = {
        {ID_HELP, [](CWinApp& app) { app.OnHelp(); }},
    };
    return entries;
}

BOOL CHollowmereApp::InitInstance() {
    ::InitCommonControls();
    (void)CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(kFrameworkRegistryKey);

    // The skin has to be in place before the first dialog is created; no result stops the start-up.
    (void)skin::Initialise(m_hInstance, "Tarnwick");
    (void)skin::LoadSkinFile("skin.smf");
    (void)skin::ApplyDialogSkin("Dialog");

    {
        CHollowmereDlg dialog;
        m_pMainWnd = &dialog;
        // How the window ended becomes the exit code, so whoever started the program can tell.
        m_nExitCode = static_cast<int>(dialog.DoModal());
        m_pMainWnd = nullptr;
    }
    return FALSE;
}

int CHollowmereApp::ExitInstance() {
    skin::Release();
    return CWinApp::ExitInstance();
}
