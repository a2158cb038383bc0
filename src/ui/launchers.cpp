// The main dialog's launches: the client, the updater at start-up and the six web pages.
#include "ui/hollowmere_dlg.h"

#include <shellapi.h>

#include <cstdio>

#include "platform/registry_key.h"
#include "ui/web_links.h"

namespace {

// Fire and forget: what the shell answers is not looked at.
void OpenWebPage(const char* address) {
    (void)::ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

void CHollowmereDlg::RunClient() {
    platform::RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, ui::kClientUninstallKey, KEY_READ) != ERROR_SUCCESS) {
        (void)AfxMessageBox("Quillfin is not installed on your PC!\nPlease install it first to use this option.",
                            MB_ICONERROR | MB_OK);
        return;
    }
    char location[256] = {};
    if (key.ReadText(ui::kClientInstallLocation, location, sizeof location) != ERROR_SUCCESS) {
        return;
    }
    key.Close();
    // The stored folder is used as it is: a trailing backslash gives a doubled one.
    const std::string path = std::string(location) + "\\Quillfin.exe";
    const HINSTANCE result = ::ShellExecuteA(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(result) > 32) {
        return;
    }
    (void)AfxMessageBox("THERE IS NO Quillfin installed IN\n[" + path + "].", MB_ICONERROR | MB_OK);
}

void CHollowmereDlg::LaunchUpdater() {
    char arguments[128];
    (void)std::snprintf(arguments, sizeof arguments, "\"%s\" \"%s\" \"%s\" \"%s\" \"%s\"", BRISKLANE_PRODUCT_NAME, "3",
                        BRISKLANE_VERSION_TEXT, ui::kVendorDomain, "false");
    (void)::ShellExecuteA(nullptr, "open", ui::kUpdaterFile, arguments, nullptr, SW_SHOWNORMAL);
}

void CHollowmereDlg::OnSafetyPage() {
    OpenWebPage(ui::kSafetyPageAddress);
}

void CHollowmereDlg::OnHelpPage() {
    OpenWebPage(ui::kHelpPageAddress);
}

void CHollowmereDlg::OnFileSharingPage() {
    OpenWebPage(ui::kFileSharingPageAddress);
}

void CHollowmereDlg::OnAnonymityPage() {
    OpenWebPage(ui::kAnonymityPageAddress);
}

void CHollowmereDlg::OnMusicOffer() {
    OpenWebPage(ui::kMusicOfferAddress);
}

void CHollowmereDlg::OnMediaOffer() {
    OpenWebPage(ui::kMediaOfferAddress);
}
