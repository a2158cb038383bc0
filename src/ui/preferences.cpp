// The main dialog's stored preferences: the product key's values and the Run key entry.
#include "ui/hollowmere_dlg.h"

#include <vector>

#include "ui/preference_values.h"
#include "ui/registry_key.h"

namespace {

constexpr const char* kCheckPeriodNum = "CheckPeriodNum";
constexpr const char* kAccelerateN = "AccelerateN";
constexpr const char* kCheckPeriodCombo = "CheckPeriodCombo";
constexpr const char* kNetwork = "Network";
constexpr const char* kAutoResumeDownloads = "AutoResumeDownloads";
constexpr const char* kRunOtherApp = "RunOtherApp";
constexpr const char* kRunValue = "Brisklane";

// Readers never create the product key: a missing key leaves every value at its default.
ui::RegistryKey OpenProductKeyForQuery() {
    ui::RegistryKey key;
    (void)key.Open(HKEY_CURRENT_USER, ui::ProductKeyPath().c_str(), KEY_QUERY_VALUE);
    return key;
}

// Writers create it when it is missing; the key is not open when that fails.
ui::RegistryKey CreateProductKey() {
    ui::RegistryKey key;
    (void)key.Create(HKEY_CURRENT_USER, ui::ProductKeyPath().c_str(), KEY_ALL_ACCESS);
    return key;
}

// The full path of the running program, however long it is.
std::string ModulePath() {
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size() - 1)
            return std::string(buffer.data(), length);
        if (buffer.size() >= 32768)
            return {}; // longer than any path the system allows
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

void CHollowmereDlg::LoadAutoResume() {
    m_bAutoResumeDownloads = OpenProductKeyForQuery().ReadNumber(kAutoResumeDownloads, 0) != 0;
}

void CHollowmereDlg::LoadRunOtherApp() {
    m_bRunOtherApp = OpenProductKeyForQuery().ReadNumber(kRunOtherApp, 0) != 0;
}

void CHollowmereDlg::LoadWindowSettings() {
    {
        const ui::RegistryKey key = OpenProductKeyForQuery();
        m_strCheckPeriod = ui::DwordToDecimal(key.ReadNumber(kCheckPeriodNum, 12));
        m_strAccelerateN = ui::DwordToDecimal(key.ReadNumber(kAccelerateN, 7));
        // An index the list doesn't have leaves it without a selection.
        (void)m_comboCheckPeriodUnit.SetCurSel(static_cast<int>(key.ReadNumber(kCheckPeriodCombo, 0)));
        m_nNetwork = static_cast<int32_t>(key.ReadNumber(kNetwork, 0));
        m_bNetworkStored = key.HasValue(kNetwork);
    }
    (void)UpdateData(false);
}

void CHollowmereDlg::SaveWindowSettings() {
    (void)UpdateData(true);
    const ui::RegistryKey key = CreateProductKey();
    if (!key.IsOpen())
        return;
    (void)key.WriteDword(kCheckPeriodNum, ui::DecimalToDword(m_strCheckPeriod));
    // No selection is -1, stored with all 32 bits set.
    (void)key.WriteDword(kCheckPeriodCombo, static_cast<uint32_t>(m_comboCheckPeriodUnit.GetCurSel()));
    (void)key.WriteDword(kAccelerateN, ui::DecimalToDword(m_strAccelerateN));
}

void CHollowmereDlg::OnAutoResumeDownloads() {
    m_bAutoResumeDownloads = !m_bAutoResumeDownloads;
    const ui::RegistryKey key = CreateProductKey();
    if (!key.IsOpen())
        return;
    (void)key.WriteDword(kAutoResumeDownloads, m_bAutoResumeDownloads ? 1 : 0);
}

void CHollowmereDlg::OnUpdateAutoResumeDownloads(CCmdUI* cmdUI) {
    cmdUI->SetCheck(m_bAutoResumeDownloads ? 1 : 0);
}

void CHollowmereDlg::OnRunAtStartup() {
    m_bRunAtStartup = !m_bRunAtStartup;
    ui::RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, ui::kRunKeyPath, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return;
    if (m_bRunAtStartup) {
        const std::string path = ModulePath();
        if (!path.empty())
            (void)key.WriteText(kRunValue, ui::StartCommand(path));
    } else {
        (void)key.DeleteValue(kRunValue);
    }
}

void CHollowmereDlg::OnUpdateRunAtStartup(CCmdUI* cmdUI) {
    // What the Run key holds right now, also when another program has changed it.
    ui::RegistryKey key;
    m_bRunAtStartup =
        key.Open(HKEY_CURRENT_USER, ui::kRunKeyPath, KEY_QUERY_VALUE) == ERROR_SUCCESS && key.HasValue(kRunValue);
    key.Close();
    cmdUI->SetCheck(m_bRunAtStartup ? 1 : 0);
}
