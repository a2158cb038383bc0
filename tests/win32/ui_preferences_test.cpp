// The main dialog's stored preferences against the real registry.
#include "dialog_runner.h"
#include "e2e_harness.h"
#include "files.h"
#include "platform/module_path.h"

#include <cstdlib>
#include <string>

namespace {

using platform::ModulePath;
using testsupport::KeyExists;
using testsupport::kProductKey;
using testsupport::kRunKey;
using testsupport::ReadDwordValue;
using testsupport::RecordingCmdUI;
using testsupport::RunModal;
using testsupport::WriteRawValue;
using testsupport::WriteTextValue;

class PreferencesTest : public testsupport::DialogTest {};

TEST_F(PreferencesTest, FirstStartShowsTheDefaultsAndCreatesNoKey) {
    CHollowmereDlg dialog;
    EXPECT_FALSE(dialog.m_bAutoResumeDownloads);
    std::string checkPeriod, accelerateN, unit;
    int unitSelection = -2;
    RunModal(dialog, [&] {
        checkPeriod = dialog.m_editCheckPeriod.GetWindowText();
        accelerateN = dialog.m_editAccelerateN.GetWindowText();
        unitSelection = dialog.m_comboCheckPeriodUnit.GetCurSel();
        unit = dialog.m_comboCheckPeriodUnit.GetWindowText();
        RecordingCmdUI autoResume;
        dialog.OnUpdateAutoResumeDownloads(&autoResume);
        EXPECT_EQ(autoResume.checked, 0);
    });
    EXPECT_EQ(checkPeriod, "12");
    EXPECT_EQ(accelerateN, "7");
    EXPECT_EQ(unitSelection, 0);
    EXPECT_EQ(unit, "Minutes");
    EXPECT_FALSE(dialog.m_bNetworkStored); // the interface is the first start's own choice
    EXPECT_FALSE(dialog.m_bRunOtherApp);
    EXPECT_FALSE(KeyExists(kProductKey));
}

TEST_F(PreferencesTest, SavingConvertsTheEditTexts) {
    struct Row {
        const char* checkPeriod;
        const char* accelerateN;
        long long storedCheckPeriod;
        long long storedAccelerateN;
        const char* shownNext;
    };
    const Row rows[] = {
        {"abc", "3", 0, 3, "0"},
        {"-5", "  8x", 0xfffffffbLL, 8, "-5"},
        {"12", "", 12, 0, "12"},
        {"99999999999", "-99999999999", 0x7fffffffLL, 0x80000000LL, "2147483647"},
    };
    // One window for all rows: each row is saved, then loaded back as the next start would.
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.checkPeriod);
            dialog.m_editCheckPeriod.SetWindowText(row.checkPeriod);
            dialog.m_editAccelerateN.SetWindowText(row.accelerateN);
            (void)dialog.m_comboCheckPeriodUnit.SetCurSel(1);
            dialog.SaveWindowSettings();
            EXPECT_EQ(ReadDwordValue(kProductKey, "CheckPeriodNum"), row.storedCheckPeriod);
            EXPECT_EQ(ReadDwordValue(kProductKey, "AccelerateN"), row.storedAccelerateN);
            EXPECT_EQ(ReadDwordValue(kProductKey, "CheckPeriodCombo"), 1);
            (void)dialog.m_comboCheckPeriodUnit.SetCurSel(0);
            dialog.LoadWindowSettings();
            EXPECT_EQ(dialog.m_editCheckPeriod.GetWindowText(), row.shownNext);
            EXPECT_EQ(dialog.m_comboCheckPeriodUnit.GetCurSel(), 1);
        }
    });
}

TEST_F(PreferencesTest, AnUnknownUnitIndexLeavesNoSelectionAndIsStoredAsMinusOne) {
    const DWORD five = 5;
    WriteRawValue(kProductKey, "CheckPeriodCombo", REG_DWORD, &five, sizeof five);
    CHollowmereDlg dialog;
    int selection = -2;
    RunModal(dialog, [&] {
        selection = dialog.m_comboCheckPeriodUnit.GetCurSel();
        dialog.SaveWindowSettings();
    });
    EXPECT_EQ(selection, CB_ERR);
    EXPECT_EQ(ReadDwordValue(kProductKey, "CheckPeriodCombo"), 0xffffffffLL);
}

TEST_F(PreferencesTest, NumbersAreReadFromTheirFirstFourBytesWhateverTheirType) {
    struct Row {
        DWORD type;
        std::string bytes;
        const char* shown;
    };
    const Row rows[] = {
        {REG_SZ, std::string("AB\0", 3), "16961"}, {REG_SZ, std::string("ABC\0", 4), "4407873"},
        {REG_SZ, std::string("ABCD\0", 5), "12"}, // five bytes don't fit: the default stays
        {REG_BINARY, std::string("\x05", 1), "5"}, {REG_BINARY, std::string("\xff\xff\xff\xff", 4), "-1"},
        {REG_BINARY, std::string(), "12"},
    };
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.shown);
            testsupport::CleanProgramRegistry();
            WriteRawValue(kProductKey, "CheckPeriodNum", row.type, row.bytes.data(),
                          static_cast<DWORD>(row.bytes.size()));
            dialog.LoadWindowSettings();
            EXPECT_EQ(dialog.m_editCheckPeriod.GetWindowText(), row.shown);
        }
    });
}

TEST_F(PreferencesTest, StoredNetworkAndFlagsAreRead) {
    const DWORD network = 2;
    const DWORD on = 1;
    const DWORD seven = 7; // any value other than 0 sets a flag
    WriteRawValue(kProductKey, "Network", REG_DWORD, &network, sizeof network);
    WriteRawValue(kProductKey, "AutoResumeDownloads", REG_DWORD, &seven, sizeof seven);
    WriteRawValue(kProductKey, "RunOtherApp", REG_DWORD, &on, sizeof on);
    CHollowmereDlg dialog;
    EXPECT_TRUE(dialog.m_bAutoResumeDownloads);
    RunModal(dialog, [] {});
    EXPECT_EQ(dialog.m_nNetwork, 2);
    EXPECT_TRUE(dialog.m_bRunOtherApp);
    // RunOtherApp launched the client, which is not installed here.
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text,
              "Quillfin is not installed on your PC!\nPlease install it first to use this option.");
}

TEST_F(PreferencesTest, AutoResumeTogglesAndIsStoredAtOnce) {
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        dialog.OnAutoResumeDownloads();
        EXPECT_EQ(ReadDwordValue(kProductKey, "AutoResumeDownloads"), 1);
        RecordingCmdUI check;
        dialog.OnUpdateAutoResumeDownloads(&check);
        EXPECT_EQ(check.checked, 1);
        dialog.OnAutoResumeDownloads();
        EXPECT_EQ(ReadDwordValue(kProductKey, "AutoResumeDownloads"), 0);
        dialog.OnAutoResumeDownloads();
    });
    CHollowmereDlg next;
    EXPECT_TRUE(next.m_bAutoResumeDownloads);
}

TEST_F(PreferencesTest, RunAtStartupWritesTheStartCommandAndRemovesOnlyItsValue) {
    const std::string other("other.exe\0", 10);
    WriteTextValue(kRunKey, "SomethingElse", "other.exe");
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        RecordingCmdUI check;
        dialog.OnUpdateRunAtStartup(&check);
        EXPECT_EQ(check.checked, 0);

        dialog.OnRunAtStartup();
        DWORD type = 0;
        std::vector<unsigned char> data;
        ASSERT_TRUE(testsupport::ReadRawValue(HKEY_CURRENT_USER, kRunKey, "Brisklane", type, data));
        EXPECT_EQ(type, DWORD{REG_SZ});
        const std::string expected = "\"" + ModulePath() + "\" -tray";
        ASSERT_EQ(data.size(), expected.size() + 1); // stored with its terminating zero
        EXPECT_EQ(std::string(data.begin(), data.end() - 1), expected);
        EXPECT_EQ(data.back(), 0);
        dialog.OnUpdateRunAtStartup(&check);
        EXPECT_EQ(check.checked, 1);

        dialog.OnRunAtStartup();
        EXPECT_FALSE(testsupport::ReadRawValue(HKEY_CURRENT_USER, kRunKey, "Brisklane", type, data));
        ASSERT_TRUE(testsupport::ReadRawValue(HKEY_CURRENT_USER, kRunKey, "SomethingElse", type, data));
        EXPECT_EQ(std::string(data.begin(), data.end()), other);
        dialog.OnUpdateRunAtStartup(&check);
        EXPECT_EQ(check.checked, 0);
    });
    testsupport::DeleteValue(kRunKey, "SomethingElse");
}

TEST_F(PreferencesTest, TheCheckMarkFollowsTheRunKeyWhateverChangedIt) {
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        dialog.OnRunAtStartup();
        // Another tool removes the value: the next opening of the menu shows it unchecked.
        testsupport::CleanProgramRegistry();
        RecordingCmdUI check;
        dialog.OnUpdateRunAtStartup(&check);
        EXPECT_EQ(check.checked, 0);
        EXPECT_FALSE(dialog.m_bRunAtStartup);
        // And one that adds it shows it checked.
        WriteTextValue(kRunKey, "Brisklane", "x");
        dialog.OnUpdateRunAtStartup(&check);
        EXPECT_EQ(check.checked, 1);
    });
}

// The start command must hold the whole path, also from a folder far deeper than 128 characters: this test
// runs a copy of the test program from such a folder, which toggles the entry on and reports its own path.
TEST_F(PreferencesTest, RunAtStartupFromALongInstallFolder) {
    if (const char* result = std::getenv("BRISKLANE_LONG_PATH_RESULT"); result != nullptr && *result != '\0') {
        // The copy in the long folder: toggle the entry on and hand what the Run key holds to the parent
        // (this process's own clean-up removes it again).
        CHollowmereDlg dialog;
        RunModal(dialog, [&] { dialog.OnRunAtStartup(); });
        DWORD type = 0;
        std::vector<unsigned char> data;
        ASSERT_TRUE(testsupport::ReadRawValue(HKEY_CURRENT_USER, kRunKey, "Brisklane", type, data));
        testsupport::WriteFile(result, std::string(data.begin(), data.end()));
        return;
    }
    std::string folder = testsupport::TempPath("brisklane-long-install");
    std::vector<std::string> created;
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    created.push_back(folder);
    while (folder.size() < 200) {
        folder += "\\a-rather-long-folder-name-for-the-program";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        created.push_back(folder);
    }
    const std::string copy = folder + "\\copy_of_the_test_program.exe";
    ASSERT_TRUE(CopyFileA(ModulePath().c_str(), copy.c_str(), FALSE));

    const std::string resultFile = testsupport::TempPath("brisklane-long-install-result.bin");
    (void)DeleteFileA(resultFile.c_str());
    ASSERT_TRUE(SetEnvironmentVariableA("BRISKLANE_LONG_PATH_RESULT", resultFile.c_str()));
    const e2e::ConsoleRun run =
        e2e::RunConsole(copy, "", "--gtest_filter=PreferencesTest.RunAtStartupFromALongInstallFolder", 120000);
    (void)SetEnvironmentVariableA("BRISKLANE_LONG_PATH_RESULT", nullptr);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.out;

    const std::string stored = capture_bytes::ReadText(resultFile);
    (void)DeleteFileA(resultFile.c_str());
    EXPECT_GT(copy.size(), 128u);
    EXPECT_EQ(stored, "\"" + copy + "\" -tray" + std::string(1, '\0'));

    (void)DeleteFileA(copy.c_str());
    for (auto it = created.rbegin(); it != created.rend(); ++it) {
        (void)RemoveDirectoryA(it->c_str());
    }
}

} // namespace
