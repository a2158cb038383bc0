// End to end: the stored preferences of the real Brisklane.exe, read back with the platform's reg tool.
#include "e2e_harness.h"

#include <gtest/gtest.h>

namespace {

using e2e::Program;
using e2e::RegQuery;
using namespace e2e;

class Preferences : public MainProgramTest {
protected:
    void TearDown() override {
        MainProgramTest::TearDown();
        testsupport::DeleteValue(testsupport::kRunKey, "SomethingElse");
    }
};

// Hides the window with the Minimize button and waits until it is gone into the tray.
void Hide(HWND dialog) {
    e2e::Click(dialog, IDCANCEL);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(dialog); }, 5000));
}

TEST_F(Preferences, FirstStartShowsTheDefaultsAndCreatesNoKeyUntilHidden) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(e2e::Text(dialog, IDC_CHECK_PERIOD), "12");
    EXPECT_EQ(e2e::Text(dialog, IDC_ACCELERATE_N), "7");
    EXPECT_EQ(e2e::Text(dialog, IDC_CHECK_PERIOD_UNIT), "Minutes");
    // The interface that carries the machine's traffic.
    EXPECT_EQ(e2e::Text(dialog, IDC_NETWORK).rfind(" " + e2e::DefaultRouteInterface() + " ", 0), 0u)
        << e2e::Text(dialog, IDC_NETWORK);
    // Two ticks of the statistics store nothing.
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ShownSeconds(dialog) >= 2; }, 5000));
    EXPECT_FALSE(e2e::RegKeyExists(kProductKey));

    Hide(dialog);
    EXPECT_EQ(RegQuery(kProductKey, "CheckPeriodNum").data, "0xc");
    EXPECT_EQ(RegQuery(kProductKey, "AccelerateN").data, "0x7");
    const e2e::RegValue unit = RegQuery(kProductKey, "CheckPeriodCombo");
    EXPECT_EQ(unit.type, "REG_DWORD");
    EXPECT_EQ(unit.data, "0x0");
    EXPECT_FALSE(RegQuery(kProductKey, "Network").exists);
}

TEST_F(Preferences, HidingStoresTheTypedNumbersAndTheNextStartShowsThem) {
    struct Row {
        const char* typed;
        const char* stored;
        const char* shownNext;
    };
    const Row rows[] = {{"abc", "0x0", "0"}, {"-5", "0xfffffffb", "-5"}, {"12", "0xc", "12"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        {
            Program program;
            HWND dialog = program.MainWindow();
            ASSERT_NE(dialog, nullptr);
            SetText(dialog, IDC_CHECK_PERIOD, row.typed);
            SetText(dialog, IDC_ACCELERATE_N, row.typed);
            Hide(dialog);
            for (const char* name : {"CheckPeriodNum", "AccelerateN"}) {
                const e2e::RegValue value = RegQuery(kProductKey, name);
                EXPECT_EQ(value.type, "REG_DWORD") << name;
                EXPECT_EQ(value.data, row.stored) << name;
            }
        }
        Program next;
        HWND dialog = next.MainWindow();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(e2e::Text(dialog, IDC_CHECK_PERIOD), row.shownNext);
        EXPECT_EQ(e2e::Text(dialog, IDC_ACCELERATE_N), row.shownNext);
    }
}

TEST_F(Preferences, AnUnknownUnitLeavesNoSelectionAndTheNextHidingStoresAllBitsSet) {
    ASSERT_TRUE(Reg(std::string("add ") + kProductKey + " /v CheckPeriodCombo /t REG_DWORD /d 5 /f"));
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ComboSelection(dialog, IDC_CHECK_PERIOD_UNIT), -1);
    Hide(dialog);
    EXPECT_EQ(RegQuery(kProductKey, "CheckPeriodCombo").data, "0xffffffff");
}

TEST_F(Preferences, AShortStringNumberIsReadFromItsBytes) {
    ASSERT_TRUE(Reg(std::string("add ") + kProductKey + " /v CheckPeriodNum /t REG_SZ /d AB /f"));
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(e2e::Text(dialog, IDC_CHECK_PERIOD), "16961");
}

TEST_F(Preferences, RunAtStartupWritesTheStartCommandAndRemovesOnlyItsOwnValue) {
    ASSERT_TRUE(Reg(std::string("add ") + kRunKey + " /v SomethingElse /t REG_SZ /d other.exe /f"));
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    const std::string command = "\"" + testsupport::BinDir() + "\\Brisklane.exe\" -tray";

    ASSERT_TRUE(ChooseTrayItem(dialog, program.Pid(), kRunAtStartupItem));
    ASSERT_TRUE(e2e::WaitUntil([] { return RegQuery(kRunKey, "Brisklane").exists; }, 5000));
    const e2e::RegValue value = RegQuery(kRunKey, "Brisklane");
    EXPECT_EQ(value.type, "REG_SZ");
    EXPECT_EQ(value.data, command);

    ASSERT_TRUE(ChooseTrayItem(dialog, program.Pid(), kRunAtStartupItem));
    ASSERT_TRUE(e2e::WaitUntil([] { return !RegQuery(kRunKey, "Brisklane").exists; }, 5000));
    EXPECT_EQ(RegQuery(kRunKey, "SomethingElse").data, "other.exe");

    // On again, then removed by another tool: the menu shows it unchecked when it next opens, so choosing
    // the item turns it on once more (instead of off).
    ASSERT_TRUE(ChooseTrayItem(dialog, program.Pid(), kRunAtStartupItem));
    ASSERT_TRUE(e2e::WaitUntil([] { return RegQuery(kRunKey, "Brisklane").exists; }, 5000));
    ASSERT_TRUE(Reg(std::string("delete ") + kRunKey + " /v Brisklane /f"));
    ASSERT_TRUE(ChooseTrayItem(dialog, program.Pid(), kRunAtStartupItem));
    EXPECT_TRUE(e2e::WaitUntil([] { return RegQuery(kRunKey, "Brisklane").exists; }, 5000));
    EXPECT_EQ(RegQuery(kRunKey, "Brisklane").data, command);
}

TEST_F(Preferences, RunAtStartupFromAFolderDeeperThanAHundredAndTwentyEightCharacters) {
    const testsupport::TempFolder root("deep");
    std::string folder = root.Path();
    while (folder.size() < 180) {
        folder += "\\an-install-folder-with-a-long-name";
        (void)CreateDirectoryA(folder.c_str(), nullptr);
    }
    const std::string exe = folder + "\\Brisklane.exe";
    ASSERT_GT(exe.size(), 128u);
    ASSERT_TRUE(CopyFileA((testsupport::BinDir() + "\\Brisklane.exe").c_str(), exe.c_str(), FALSE));
    (void)CopyFileA((testsupport::BinDir() + "\\skin.smf").c_str(), (folder + "\\skin.smf").c_str(), FALSE);
    {
        Program program("", exe);
        HWND dialog = program.MainWindow();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(ChooseTrayItem(dialog, program.Pid(), kRunAtStartupItem));
        ASSERT_TRUE(e2e::WaitUntil([] { return RegQuery(kRunKey, "Brisklane").exists; }, 5000));
        EXPECT_EQ(RegQuery(kRunKey, "Brisklane").data, "\"" + exe + "\" -tray");
        EXPECT_TRUE(program.Running());
    }
    // The ended program's file is free again a moment after its end.
    EXPECT_TRUE(e2e::WaitUntil([&] { return DeleteFileA(exe.c_str()) != FALSE; }, 5000));
    (void)DeleteFileA((folder + "\\skin.smf").c_str());
}

TEST_F(Preferences, AutoResumeTogglesIsStoredAtOnceAndIsReadAtTheNextStart) {
    {
        Program program;
        HWND dialog = program.MainWindow();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(ChooseTrayItem(dialog, program.Pid(), kAutoResumeItem));
        ASSERT_TRUE(e2e::WaitUntil([] { return RegQuery(kProductKey, "AutoResumeDownloads").data == "0x1"; }, 5000));
        ASSERT_TRUE(ChooseTrayItem(dialog, program.Pid(), kAutoResumeItem));
        ASSERT_TRUE(e2e::WaitUntil([] { return RegQuery(kProductKey, "AutoResumeDownloads").data == "0x0"; }, 5000));
        ASSERT_TRUE(ChooseTrayItem(dialog, program.Pid(), kAutoResumeItem));
        ASSERT_TRUE(e2e::WaitUntil([] { return RegQuery(kProductKey, "AutoResumeDownloads").data == "0x1"; }, 5000));
    }
    // The next start reads the stored 1, so choosing the item now turns it off.
    Program next;
    HWND dialog = next.MainWindow();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseTrayItem(dialog, next.Pid(), kAutoResumeItem));
    EXPECT_TRUE(e2e::WaitUntil([] { return RegQuery(kProductKey, "AutoResumeDownloads").data == "0x0"; }, 5000));
}

} // namespace
