// The client launcher's messages and path rule, and the About box, in this process.
#include "dialog_runner.h"

#include "ui/about_dlg.h"

#include <string>

namespace {

using nettest::RunModal;

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillfin";

class LaunchersTest : public nettest::DialogTest {
protected:
    void TearDown() override {
        (void)RegDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
        nettest::DialogTest::TearDown();
    }
};

TEST_F(LaunchersTest, RunClientTellsWhenTheClientIsNotInstalled) {
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        boxes_.clear();
        dialog.RunClient();
    });
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Quillfin is not installed on your PC!\nPlease install it first to use this option.");
    EXPECT_EQ(boxes_[0].style, 0x10u);
    EXPECT_EQ(boxes_[0].caption, AfxGetAppName());
}

TEST_F(LaunchersTest, RunClientIsSilentWithoutAnInstallLocation) {
    const char unrelated[] = "1.0";
    nettest::WriteRawValue(kUninstallKey, "DisplayVersion", REG_SZ, unrelated, sizeof unrelated);
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        boxes_.clear();
        dialog.RunClient();
    });
    EXPECT_TRUE(boxes_.empty());
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
        nettest::WriteRawValue(kUninstallKey, "InstallLocation", REG_SZ, row.location,
                               static_cast<DWORD>(strlen(row.location) + 1));
        CHollowmereDlg dialog;
        RunModal(dialog, [&] {
            boxes_.clear();
            dialog.RunClient();
        });
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, row.message);
        EXPECT_EQ(boxes_[0].style, 0x10u);
    }
}

TEST_F(LaunchersTest, AnInstallLocationThatFillsTheWholeBufferIsNotRead) {
    const std::string location(256, 'x'); // 256 bytes and no terminating zero
    nettest::WriteRawValue(kUninstallKey, "InstallLocation", REG_BINARY, location.data(), 256);
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        boxes_.clear();
        dialog.RunClient();
    });
    EXPECT_TRUE(boxes_.empty());
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
    const INT_PTR result = RunModal(
        about,
        [&] {
            boundId = about.m_btnOK.m_hWnd != nullptr ? GetDlgCtrlID(about.m_btnOK.m_hWnd) : 0;
            (void)about.m_btnOK.SendMessage(BM_CLICK);
            if (!about.okPressed)
                about.EndDialog(77); // the button did nothing: end the box anyway
        },
        nettest::kLeaveOpen);
    EXPECT_EQ(boundId, IDOK);
    EXPECT_TRUE(about.okPressed);
    EXPECT_EQ(result, IDOK);
}

} // namespace
