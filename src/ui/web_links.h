// The addresses behind the "Settings" menu's web-page commands and the updater's fixed arguments.
#pragma once

namespace ui {

// The vendor's Internet domain, also handed to the updater.
constexpr const char* kVendorDomain = "brisklane.example";

constexpr const char* kSafetyPageAddress = "http://security-tips.example/news+index.storytopic+10.htm";
constexpr const char* kHelpPageAddress = "http://brisklane.example/help.htm";
constexpr const char* kFileSharingPageAddress = "http://filesharing-info.example/";
constexpr const char* kAnonymityPageAddress = "http://anonymous-downloads.example/?id=brisklane&tr=1";
constexpr const char* kMusicOfferAddress = "http://clicks.affiliate-partner.example/track?offer=music25&aff=brisklane";
constexpr const char* kMediaOfferAddress = "http://clicks.affiliate-partner.example/track?offer=media&aff=brisklane";

// The updater: a separate program found by the shell, started once with five quoted arguments (product,
// "3", version, vendor domain, "false").
constexpr const char* kUpdaterFile = "Patchwell.exe";

// The client the Run button starts, and where its installer records its folder.
constexpr const char* kClientUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillfin";
constexpr const char* kClientInstallLocation = "InstallLocation";

} // namespace ui
