// The client launcher's messages and path rule, and the About box, in this process.
#include "dialog_runner.h"

#include "ui/about_dlg.h"

#include <string>

namespace {

using testsupport::RunModal;

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillfin";

class LaunchersTest : public testsupport::DialogTest {
protected:
    void TearDown() override {
        (void)RegDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
        testsupport::DialogTest::TearDown();
    }
    // The message boxes that running the client shows, once the dialog is up.
    std::vector<testsupport::RecordedBox> RunClientBoxes() {
        CHollowmereDlg dialog;
        RunModal(dialog, [&] {
            boxes_.Clear();
            dialog.RunClient();
        });
        return boxes_.Boxes();
    }
};

TEST_F(LaunchersTest, RunClientTellsWhenTheClientIsNotInstalled) {
    const auto boxes = RunClientBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Quillfin is not installed on your PC!\nPlease install it first to use this option.");
    EXPECT_EQ(boxes[0].style, 0x10u);
    EXPECT_EQ(boxes[0].caption, AfxGetAppName());
}

TEST_F(LaunchersTest, RunClientIsSilentWithoutAnInstallLocation) {
    testsupport::WriteTextValue(kUninstallKey, "DisplayVersion", "1.0");
    EXPECT_TRUE(RunClientBoxes().empty());
}

TEST_F(LaunchersTest, RunClientNamesThePathItTried) {
    struct Row {
        const char* location;
        const char* message;
    };
    const Row rows[] = {
        {"C:\\no-such-folder\\Client",
         "THERE IS NO Quillfin installed IN\n[C:\\no-such-folder\\Client\\Quillfin.exe]."},
        {"C:\\no-such-folder\\Client\\",
         "THERE IS NO Quillfin installed IN\n[C:\\no-such-folder\\Client\\\\Quillfin.exe]."},
    };
    for (const Row& row : rows) {
        testsupport::WriteTextValue(kUninstallKey, "InstallLocation", row.location);
        const auto boxes = RunClientBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, row.message);
        EXPECT_EQ(boxes[0].style, 0x10u);
    }
}

TEST_F(LaunchersTest, AnInstallLocationThatFillsTheWholeBufferIsNotRead) {
    const std::string location(256, 'x'); // 256 bytes and no terminating zero
    testsupport::WriteRawValue(kUninstallKey, "InstallLocation", REG_BINARY, location.data(), 256);
    EXPECT_TRUE(RunClientBoxes().empty());
}

class RecordingAbout : public CAboutDlg {
public:
    bool okPressed = false;
    void OnOK() override {
        okPressed = true;
        CAboutDlg::OnOK();
    }
};

TEST_F(LaunchersTest, TheAboutBoxBindsItsButtonAndClosesWithOk) {
    RecordingAbout about;
    int boundId = 0;
    // Ended by the button, or with 77 by the runner when the button did nothing.
    const INT_PTR result = RunModal(about, [&] {
        boundId = about.m_btnOK.m_hWnd != nullptr ? GetDlgCtrlID(about.m_btnOK.m_hWnd) : 0;
        (void)about.m_btnOK.SendMessage(BM_CLICK);
    });
    EXPECT_EQ(boundId, IDOK);
    EXPECT_TRUE(about.okPressed);
    EXPECT_EQ(result, IDOK);
}

} // namespace
