// The main dialog's stored preferences: the product key's values and the Run key entry.
#include "ui/hollowmere_dlg.h"

#include "platform/module_path.h"
#include "platform/product_key.h"
#include "platform/registry_key.h"
#include "ui/preference_values.h"

namespace {

constexpr const char* kCheckPeriodNum = "CheckPeriodNum";
constexpr const char* kAccelerateN = "AccelerateN";
constexpr const char* kCheckPeriodCombo = "CheckPeriodCombo";
constexpr const char* kNetwork = "Network";
constexpr const char* kAutoResumeDownloads = "AutoResumeDownloads";
constexpr const char* kRunOtherApp = "RunOtherApp";
constexpr const char* kRunValue = "Brisklane";

// Readers never create the product key: a missing key leaves every value at its default.
platform::RegistryKey OpenProductKeyForQuery() {
    platform::RegistryKey key;
    (void)key.Open(HKEY_CURRENT_USER, platform::ProductKeyPath().c_str(), KEY_QUERY_VALUE);
    return key;
}

// Writers create it when it is missing; the key is not open when that fails.
platform::RegistryKey CreateProductKey() {
    platform::RegistryKey key;
    (void)key.Create(HKEY_CURRENT_USER, platform::ProductKeyPath().c_str(), KEY_ALL_ACCESS);
    return key;
}

// A number read the 4-byte way: up to four bytes of the value, whatever its type, over `fallback` taken as
// a little-endian 32-bit number; `fallback` itself when the value can't be read (or the key is not open).
uint32_t ReadNumber(const platform::RegistryKey& key, const char* name, uint32_t fallback) {
    unsigned char data[4] = {};
    DWORD size = sizeof data;
    if (key.ReadBytes(name, data, size) != ERROR_SUCCESS) {
        return fallback;
    }
    return ui::OverlayValueBytes(fallback, data, size);
}

} // namespace

void CHollowmereDlg::LoadAutoResume() {
    m_bAutoResumeDownloads = ReadNumber(OpenProductKeyForQuery(), kAutoResumeDownloads, 0) != 0;
}

void CHollowmereDlg::LoadRunOtherApp() {
    m_bRunOtherApp = ReadNumber(OpenProductKeyForQuery(), kRunOtherApp, 0) != 0;
}

void CHollowmereDlg::LoadWindowSettings() {
    {
        const platform::RegistryKey key = OpenProductKeyForQuery();
        m_strCheckPeriod = ui::DwordToDecimal(ReadNumber(key, kCheckPeriodNum, 12));
        m_strAccelerateN = ui::DwordToDecimal(ReadNumber(key, kAccelerateN, 7));
        // An index the list doesn't have leaves it without a selection.
        (void)m_comboCheckPeriodUnit.SetCurSel(static_cast<int>(ReadNumber(key, kCheckPeriodCombo, 0)));
        m_nNetwork = static_cast<int32_t>(ReadNumber(key, kNetwork, 0));
        m_bNetworkStored = key.HasValue(kNetwork);
    }
    (void)UpdateData(false);
}

void CHollowmereDlg::SaveWindowSettings() {
    (void)UpdateData(true);
    const platform::RegistryKey key = CreateProductKey();
    if (!key.IsOpen()) {
        return;
    }
    (void)key.WriteDword(kCheckPeriodNum, ui::DecimalToDword(m_strCheckPeriod));
    // No selection is -1, stored with all 32 bits set.
    (void)key.WriteDword(kCheckPeriodCombo, static_cast<uint32_t>(m_comboCheckPeriodUnit.GetCurSel()));
    (void)key.WriteDword(kAccelerateN, ui::DecimalToDword(m_strAccelerateN));
}

void CHollowmereDlg::OnAutoResumeDownloads() {
    m_bAutoResumeDownloads = !m_bAutoResumeDownloads;
    const platform::RegistryKey key = CreateProductKey();
    if (!key.IsOpen()) {
        return;
    }
    (void)key.WriteDword(kAutoResumeDownloads, m_bAutoResumeDownloads ? 1 : 0);
}

void CHollowmereDlg::OnUpdateAutoResumeDownloads(CCmdUI* cmdUI) {
    cmdUI->SetCheck(m_bAutoResumeDownloads ? 1 : 0);
}

void CHollowmereDlg::OnRunAtStartup() {
    m_bRunAtStartup = !m_bRunAtStartup;
    platform::RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, ui::kRunKeyPath, KEY_ALL_ACCESS) != ERROR_SUCCESS) {
        return;
    }
    if (m_bRunAtStartup) {
        const std::string path = platform::ModulePath();
        if (!path.empty()) {
            (void)key.WriteText(kRunValue, ui::StartCommand(path));
        }
    } else {
        (void)key.DeleteValue(kRunValue);
    }
}

void CHollowmereDlg::OnUpdateRunAtStartup(CCmdUI* cmdUI) {
    // What the Run key holds right now, also when another program has changed it.
    platform::RegistryKey key;
    m_bRunAtStartup =
        key.Open(HKEY_CURRENT_USER, ui::kRunKeyPath, KEY_QUERY_VALUE) == ERROR_SUCCESS && key.HasValue(kRunValue);
    key.Close();
    cmdUI->SetCheck(m_bRunAtStartup ? 1 : 0);
}
