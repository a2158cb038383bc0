// End to end: the client launcher, the updater, the six web pages and the About box of the real
// Brisklane.exe, with a recording stand-in for every program it starts.
#include "e2e_harness.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using e2e::Program;
using namespace e2e;

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillfin";
constexpr const char* kNotInstalled =
    "Quillfin is not installed on your PC!\nPlease install it first to use this option.";

// The recording stand-in for the programs that Brisklane starts: where it is built, and the records of its
// starts, one "<program path>|<arguments>" line each, in a file named by BRISKLANE_RECORD_FILE (set for this
// process and so for the programs it starts).
std::string RecorderPath() {
    return testsupport::BinDir() + "\\net_recorder.exe";
}
class Recorder {
public:
    Recorder() { (void)SetEnvironmentVariableA("BRISKLANE_RECORD_FILE", file_.c_str()); }
    ~Recorder() { (void)SetEnvironmentVariableA("BRISKLANE_RECORD_FILE", nullptr); }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    std::vector<std::string> Records() const {
        std::vector<std::string> records;
        std::istringstream in(capture_bytes::ReadText(file_));
        std::string line;
        while (std::getline(in, line)) {
            records.push_back(line);
        }
        return records;
    }
    bool WaitForRecords(size_t count, DWORD timeoutMs = 10000) const {
        return e2e::WaitUntil([&] { return Records().size() >= count; }, timeoutMs, 100);
    }

private:
    testsupport::TempFolder folder_{"records"};
    std::string file_ = folder_.File("records.txt");
};

// No client is installed unless a test says so.
class Launchers : public MainProgramTest {
protected:
    void SetUp() override {
        MainProgramTest::SetUp();
        (void)RegDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
    }
    void TearDown() override {
        MainProgramTest::TearDown();
        (void)RegDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
    }
};

void SetInstallLocation(const std::string& folder) {
    testsupport::WriteTextValue(kUninstallKey, "InstallLocation", folder);
}

// Waits for a message box of the program, checks its caption and text, and answers it with OK.
void ExpectMessage(Program& program, HWND except, const std::string& text) {
    const e2e::SeenDialog box = e2e::WaitForDialog(program.Pid(), except, 10000);
    ASSERT_NE(box.hwnd, nullptr) << "no message box";
    EXPECT_EQ(box.caption, "Brisklane");
    EXPECT_EQ(box.text, text);
    e2e::PressDialogButton(box.hwnd, IDOK);
    EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); }, 5000));
}

TEST_F(Launchers, RunWithoutTheClientsUninstallKeySaysItIsNotInstalled) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    e2e::Click(dialog, IDC_RUN_CLIENT);
    ExpectMessage(program, dialog, kNotInstalled);
    EXPECT_TRUE(program.Running());
}

TEST_F(Launchers, RunNamesTheWholePathItTriedAlsoWithATrailingBackslash) {
    const testsupport::TempFolder client("empty-client");
    const std::string folder = client.Path();
    struct Row {
        std::string location;
        std::string tried;
    };
    const Row rows[] = {{folder, folder + "\\Quillfin.exe"}, {folder + "\\", folder + "\\\\Quillfin.exe"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.location);
        SetInstallLocation(row.location);
        Program program;
        HWND dialog = program.MainWindow();
        ASSERT_NE(dialog, nullptr);
        e2e::Click(dialog, IDC_RUN_CLIENT);
        ExpectMessage(program, dialog, "THERE IS NO Quillfin installed IN\n[" + row.tried + "].");
    }
}

TEST_F(Launchers, RunStartsTheClientFromItsInstallLocation) {
    const testsupport::TempFolder client("client");
    const std::string folder = client.Path();
    ASSERT_TRUE(CopyFileA(RecorderPath().c_str(), (folder + "\\Quillfin.exe").c_str(), FALSE));
    SetInstallLocation(folder);
    Recorder recorder;
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    const size_t before = recorder.Records().size(); // the updater is not there: nothing recorded at start
    e2e::Click(dialog, IDC_RUN_CLIENT);
    ASSERT_TRUE(recorder.WaitForRecords(before + 1));
    EXPECT_EQ(recorder.Records().back(), folder + "\\Quillfin.exe|");
    // Pressing it again starts it again.
    e2e::Click(dialog, IDC_RUN_CLIENT);
    ASSERT_TRUE(recorder.WaitForRecords(before + 2));
    EXPECT_EQ(e2e::WaitForDialog(program.Pid(), dialog, 1000).hwnd, nullptr) << "a message box appeared";
}

TEST_F(Launchers, TheStoredStartUpChoiceRunsTheClientBeforeTheWindowShows) {
    ASSERT_TRUE(Reg("add " + kProductKey + " /v RunOtherApp /t REG_DWORD /d 1 /f"));
    Program program;
    ExpectMessage(program, nullptr, kNotInstalled);
    EXPECT_NE(program.MainWindow(), nullptr);
}

TEST_F(Launchers, TheUpdaterGetsItsFiveQuotedArguments) {
    const testsupport::TempFolder updater("updater");
    const std::string folder = updater.Path();
    ASSERT_TRUE(CopyFileA(RecorderPath().c_str(), (folder + "\\Patchwell.exe").c_str(), FALSE));
    Recorder recorder;
    {
        // The shell finds the updater by its bare name in the program's current folder.
        Program program("", "", folder);
        ASSERT_NE(program.MainWindow(), nullptr);
        ASSERT_TRUE(recorder.WaitForRecords(1));
        // A second start would be recorded within this second; nothing else marks that none comes.
        EXPECT_FALSE(recorder.WaitForRecords(2, 1000));
    }
    const std::vector<std::string> records = recorder.Records();
    ASSERT_EQ(records.size(), 1u) << "the updater is started once";
    EXPECT_EQ(records[0], folder + "\\Patchwell.exe|\"Brisklane\" \"3\" \"4.5.0\" \"brisklane.example\" \"false\"");
}

// A browser of our own for http addresses, registered in this prefix.
class WebPages : public Launchers {
protected:
    void SetUp() override {
        Launchers::SetUp();
        const std::string command = "\"" + RecorderPath() + "\" \"%1\"";
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\http\\shell\\open\\command", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                 static_cast<DWORD>(command.size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

TEST_F(WebPages, EachMenuCommandOpensItsAddress) {
    struct Row {
        e2e::TrayItem item;
        const char* address;
    };
    const Row rows[] = {
        {kSafetyItem, "http://security-tips.example/news+index.storytopic+10.htm"},
        {kFileSharingItem, "http://filesharing-info.example/"},
        {kAnonymityItem, "http://anonymous-downloads.example/?id=brisklane&tr=1"},
        {kMusicItem, "http://clicks.affiliate-partner.example/track?offer=music25&aff=brisklane"},
        {kMediaItem, "http://clicks.affiliate-partner.example/track?offer=media&aff=brisklane"},
        {kHelpItem, "http://brisklane.example/help.htm"},
    };
    Recorder recorder;
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    size_t expected = recorder.Records().size();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.address);
        ASSERT_TRUE(ChooseTrayItem(dialog, program.Pid(), row.item));
        ASSERT_TRUE(recorder.WaitForRecords(++expected));
        EXPECT_EQ(recorder.Records().back(), RecorderPath() + "|\"" + row.address + "\"");
    }
    EXPECT_TRUE(program.Running());
}

// The About box: from the system menu's added item and from the tray menu; OK closes it.
TEST_F(Launchers, TheAboutBoxOpensFromBothMenusAndClosesWithOk) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    struct Way {
        const char* name;
        std::function<void()> open;
    };
    const Way ways[] = {
        {"system menu", [&] { PostMessageA(dialog, WM_SYSCOMMAND, 0x0010, 0); }},
        {"tray menu", [&] { ASSERT_TRUE(ChooseTrayItem(dialog, program.Pid(), kAboutItem)); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        way.open();
        const e2e::SeenDialog about = e2e::WaitForDialog(program.Pid(), dialog, 10000);
        ASSERT_NE(about.hwnd, nullptr);
        EXPECT_EQ(about.caption, "Brisklane");
        EXPECT_NE(about.text.find("Brisklane 4.5.0"), std::string::npos) << about.text;
        EXPECT_NE(GetDlgItem(about.hwnd, IDOK), nullptr);
        e2e::PressDialogButton(about.hwnd, IDOK);
        EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(about.hwnd); }, 5000));
        EXPECT_TRUE(program.Running());
    }
}

} // namespace
