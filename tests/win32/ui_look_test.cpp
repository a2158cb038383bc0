// The look of the main window and the About box: every label, value and button shows its whole text
// (measured with the control's own font against its client rectangle, line breaks included), and a value
// that changes leaves no trace of its old text, also without a skin.
#include "dialog_runner.h"
#include "text_fit.h"

#include "net/acceleration_text.h"
#include "picture.h"
#include "ui/about_dlg.h"

#include <string>
#include <vector>

namespace {

using testsupport::RunModal;
using testsupport::TextCut;

class LookTest : public testsupport::DialogTest {};

// Checks the current text of every static and button of the dialog.
void ExpectEveryTextWhole(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {};
        (void)GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Static") != 0 && lstrcmpiA(className, "Button") != 0) {
            continue;
        }
        char text[512] = {};
        (void)GetWindowTextA(child, text, sizeof text);
        const std::string cut = TextCut(child, text);
        EXPECT_TRUE(cut.empty()) << cut;
    }
}

TEST_F(LookTest, TheMainWindowShowsEveryTextWhole) {
    CHollowmereDlg dialog;
    RunModal(dialog, [&] {
        // As the window shows itself after its first tick, with both captions of the switch and the
        // longest footer note it can show.
        ASSERT_TRUE(fw::PumpUntil([&] { return dialog.m_nDurSeconds >= 1; }, 5000));
        ExpectEveryTextWhole(dialog.m_hWnd);
        CWnd* footer = dialog.GetDlgItem(IDC_FOOTER);
        for (const char* caption : {net::kCaptionAccelerating, net::kCaptionStopped}) {
            dialog.m_btnAccelerate.SetWindowText(caption);
            EXPECT_EQ(TextCut(dialog.m_btnAccelerate.m_hWnd, caption), "");
        }
        const std::string note = net::RawSocketNote(net::RawSocketStep::Bind, 10049, "255.255.255.255");
        EXPECT_EQ(TextCut(footer->m_hWnd, note), "");
    });
}

TEST_F(LookTest, TheAboutBoxShowsEveryTextWhole) {
    CAboutDlg about;
    RunModal(about, [&] { ExpectEveryTextWhole(about.m_hWnd); });
}

// The tests run without a skin: each value, once it has changed a few times, looks exactly as a fresh
// painting of the whole window draws it.
TEST_F(LookTest, ChangedValuesLeaveNoTraceOfTheirOldText) {
    CHollowmereDlg dialog;
    dialog.m_openRawSocket = testsupport::QuietOpener(); // so that the acceleration clock runs too
    RunModal(dialog, [&] {
        ASSERT_TRUE(fw::PumpUntil([&] { return dialog.m_nAccelSeconds >= 2 && dialog.m_nDurSeconds >= 2; }, 5000));
        const int values[] = {IDC_DURATION, IDC_BYTES_RECEIVED, IDC_BYTES_SENT,
                              IDC_STATUS,   IDC_TYPE,           IDC_ACCEL_DURATION};
        auto texts = [&] {
            std::vector<std::string> shown;
            for (const int id : values) {
                shown.push_back(dialog.GetDlgItem(id)->GetWindowText());
            }
            return shown;
        };
        // A tick between the two looks would change a text: then look again.
        for (int attempt = 0; attempt < 5; ++attempt) {
            (void)UpdateWindow(dialog.m_hWnd);
            const std::vector<std::string> before = texts();
            std::vector<lookout::Picture> incremental;
            for (const int id : values) {
                incremental.push_back(lookout::GrabClient(dialog.GetDlgItem(id)->m_hWnd));
            }
            (void)RedrawWindow(dialog.m_hWnd, nullptr, nullptr,
                               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            std::vector<lookout::Picture> fresh;
            for (const int id : values) {
                fresh.push_back(lookout::GrabClient(dialog.GetDlgItem(id)->m_hWnd));
            }
            if (texts() != before) {
                continue;
            }
            for (size_t i = 0; i < std::size(values); ++i) {
                EXPECT_TRUE(incremental[i] == fresh[i]) << "control " << values[i] << " '" << before[i] << "'";
            }
            return;
        }
        FAIL() << "the values kept changing between two looks";
    });
}

} // namespace
