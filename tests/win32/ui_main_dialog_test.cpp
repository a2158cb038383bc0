// The main dialog in this process: its tray menu and check marks, the unit list, the system menu, the ways
// it is hidden, restored and ended, its timers and its colour rule.
#include "dialog_runner.h"

#include <string>
#include <vector>

namespace {

using testsupport::kProductKey;
using testsupport::ReadDwordValue;
using testsupport::RunModal;

class MainDialogTest : public testsupport::DialogTest {};

// The real dialog, counting the OK commands that reach it.
class CountingDlg : public CHollowmereDlg {
public:
    int okCommands = 0;
    void OnOK() override {
        ++okCommands;
        CHollowmereDlg::OnOK();
    }
};

std::vector<std::string> MenuTexts(HMENU menu) {
    std::vector<std::string> texts;
    CMenu view = CMenu::Borrow(menu);
    for (int i = 0; i < view.GetMenuItemCount(); ++i) {
        const UINT id = view.GetMenuItemID(i);
        texts.push_back(std::to_string(static_cast<int>(id)) + " " +
                        (id == 0 ? std::string() : view.GetMenuString(static_cast<UINT>(i), MF_BYPOSITION)));
    }
    return texts;
}

bool Checked(HMENU menu, UINT command) {
    return (::GetMenuState(menu, command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

TEST_F(MainDialogTest, InitialisedWindowBindsItsControlsAndStartsAcceleration) {
    CHollowmereDlg d;
    const INT_PTR result = RunModal(d, [&] {
        const std::pair<int, CWnd*> bindings[] = {
            {IDC_CHECK_PERIOD_UNIT, &d.m_comboCheckPeriodUnit},
            {IDC_CHECK_PERIOD, &d.m_editCheckPeriod},
            {IDC_ACCELERATE_N, &d.m_editAccelerateN},
            {IDCANCEL, &d.m_btnMinimize},
            {IDC_ACCELERATE, &d.m_btnAccelerate},
            {IDC_QUIT, &d.m_btnQuit},
            {IDC_RUN_CLIENT, &d.m_btnRunClient},
            {IDC_DURATION, &d.m_lblDuration},
            {IDC_BYTES_SENT, &d.m_lblBytesSent},
            {IDC_BYTES_RECEIVED, &d.m_lblBytesReceived},
            {IDC_TYPE, &d.m_lblType},
            {IDC_STATUS, &d.m_lblStatus},
            {IDC_NETWORK, &d.m_comboNetwork},
        };
        for (const auto& [id, object] : bindings) {
            EXPECT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(d.m_hWnd, id)), object) << id;
        }
        // Started by the initialisation; the switch shows whether the start worked (here the platform may
        // refuse the raw socket).
        const bool running = net::accelerationRunning == 1;
        EXPECT_EQ(::IsDlgButtonChecked(d.m_hWnd, IDC_ACCELERATE), running ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(d.m_btnAccelerate.GetWindowText(), running ? "Status: accelerating\nPress to stop acceleration"
                                                             : "Status: stopped\nPress to start acceleration ");
        EXPECT_EQ(d.GetDlgItem(IDC_ACCEL_DURATION)->GetWindowText(), " 0 hrs :  0 mins :  0 secs");
        EXPECT_EQ(d.GetDlgItem(IDC_CHECK_PERIOD)->GetWindowText(), "12");
        EXPECT_EQ(d.GetDlgItem(IDC_ACCELERATE_N)->GetWindowText(), "7");
        EXPECT_EQ(::SendMessageA(d.m_hWnd, WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(d.m_hIcon));
        EXPECT_NE(d.m_hIcon, nullptr);
        d.OnExit();
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(MainDialogTest, UnitListHoldsMinutesAndHours) {
    CHollowmereDlg d;
    RunModal(d, [&] {
        ASSERT_EQ(d.m_comboCheckPeriodUnit.GetCount(), 2);
        EXPECT_EQ(d.m_comboCheckPeriodUnit.GetLBText(0), "Minutes");
        EXPECT_EQ(d.m_comboCheckPeriodUnit.GetLBText(1), "Hours");
        EXPECT_EQ(d.m_comboCheckPeriodUnit.GetCurSel(), 0);
        d.OnExit();
    });
}

TEST_F(MainDialogTest, TrayMenuShowsItsItemsAndTheStoredCheckMarks) {
    CHollowmereDlg d;
    RunModal(d, [&] {
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(IDR_TRAYMENU));
        ASSERT_EQ(menu.GetMenuItemCount(), 2);
        EXPECT_EQ(menu.GetMenuString(0, MF_BYPOSITION), "Settings");
        EXPECT_EQ(menu.GetMenuItemID(1), static_cast<UINT>(ID_APP_ABOUT_MENU));
        CMenu popup = menu.GetSubMenu(0);
        EXPECT_EQ(MenuTexts(popup.m_hMenu), (std::vector<std::string>{
                                                "32785 &Auto Resume Downloads",
                                                "32781 Run at &Startup",
                                                "0 ",
                                                "32792 Concerned About SAFETY?",
                                                "32794 All About File Sharing",
                                                "32795 Download Torrents Anonymously!",
                                                "32796 eMusic: 25 Free MP3 Downloads!",
                                                "32797 Music, Games, Photos",
                                                "32793 Help",
                                                "32776 &About",
                                                "0 ",
                                                "32786 &Exit",
                                            }));

        // Nothing stored: both unchecked, even when the menu says otherwise beforehand.
        (void)popup.CheckMenuItem(ID_AUTO_RESUME, MF_BYCOMMAND | MF_CHECKED);
        (void)d.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup.m_hMenu), 0);
        EXPECT_FALSE(Checked(popup.m_hMenu, ID_AUTO_RESUME));
        EXPECT_FALSE(Checked(popup.m_hMenu, ID_RUN_AT_STARTUP));

        // The menu command flips and stores the flag; the next opening shows it.
        (void)d.SendMessage(WM_COMMAND, ID_AUTO_RESUME, 0);
        EXPECT_EQ(ReadDwordValue(kProductKey, "AutoResumeDownloads"), 1);
        // Another program adds the Run value: the check mark follows the registry.
        testsupport::WriteTextValue(testsupport::kRunKey, "Brisklane", "x");
        (void)d.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup.m_hMenu), 0);
        EXPECT_TRUE(Checked(popup.m_hMenu, ID_AUTO_RESUME));
        EXPECT_TRUE(Checked(popup.m_hMenu, ID_RUN_AT_STARTUP));
        // Web-page and other items keep their state.
        EXPECT_EQ(::GetMenuState(popup.m_hMenu, ID_HELP_PAGE, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED), 0u);
        d.OnExit();
    });
}

TEST_F(MainDialogTest, SystemMenuEndsWithTheAboutItemAfterASeparator) {
    CHollowmereDlg d;
    RunModal(d, [&] {
        const HMENU system = ::GetSystemMenu(d.m_hWnd, FALSE);
        ASSERT_NE(system, nullptr);
        const std::vector<std::string> texts = MenuTexts(system);
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ(texts[texts.size() - 2], "0 ");
        EXPECT_EQ(texts.back(), "16 &About Brisklane...");
        d.OnExit();
    });
}

TEST_F(MainDialogTest, EnterDoesNotEndTheProgram) {
    CountingDlg d;
    const INT_PTR result = RunModal(d, [&] {
        (void)d.SendMessage(WM_COMMAND, IDOK, 0);
        (void)::PostMessageA(d.m_editCheckPeriod.m_hWnd, WM_KEYDOWN, VK_RETURN, 1);
        (void)::PostMessageA(d.m_btnAccelerate.m_hWnd, WM_KEYDOWN, VK_RETURN, 1);
        // The command reached the dialog each time, and was ignored.
        EXPECT_TRUE(fw::PumpUntil([&] { return d.okCommands >= 3; }, 5000));
        fw::DispatchWaitingMessages();
        EXPECT_EQ(d.okCommands, 3);
        EXPECT_TRUE(::IsWindow(d.m_hWnd));
        EXPECT_NE(d.GetStyle() & WS_VISIBLE, 0u);
        d.OnExit();
    });
    EXPECT_EQ(result, 0); // from Exit, not from OK
}

TEST_F(MainDialogTest, QuitAndExitStopTimerOneAndEndWithTheirResults) {
    struct Case {
        UINT command;
        INT_PTR result;
    };
    for (const Case c : {Case{IDC_QUIT, IDCANCEL}, Case{ID_APP_EXIT_MENU, 0}}) {
        CHollowmereDlg d;
        const INT_PTR result = RunModal(d, [&] {
            (void)d.SendMessage(WM_COMMAND, c.command, 0);
            // Timer 1 is gone already; the window goes once the loop sees the end.
            EXPECT_FALSE(::KillTimer(d.m_hWnd, kStatisticsTimer));
        });
        EXPECT_EQ(result, c.result) << c.command;
        EXPECT_EQ(ReadDwordValue(kProductKey, "CheckPeriodNum"), -1) << "nothing is saved when the program ends";
    }
}

TEST_F(MainDialogTest, EscapeSavesAndHidesIntoTheTrayAndADoubleClickRestores) {
    CHollowmereDlg d;
    const INT_PTR result = RunModal(d, [&] {
        d.m_editCheckPeriod.SetWindowText("33");
        (void)::PostMessageA(d.m_editCheckPeriod.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
        EXPECT_TRUE(fw::PumpUntil([&] { return (d.GetStyle() & WS_VISIBLE) == 0; }, 5000));
        EXPECT_NE(::GetAncestor(d.m_hWnd, GA_PARENT), ::GetDesktopWindow()) << "still on the taskbar";
        EXPECT_EQ(ReadDwordValue(kProductKey, "CheckPeriodNum"), 33);
        EXPECT_EQ(ReadDwordValue(kProductKey, "AccelerateN"), 7);
        EXPECT_EQ(ReadDwordValue(kProductKey, "CheckPeriodCombo"), 0);
        EXPECT_EQ(d.SendMessage(WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONDBLCLK), 1);
        EXPECT_NE(d.GetStyle() & WS_VISIBLE, 0u);

        // The close box does the same.
        (void)d.PostMessage(WM_CLOSE);
        EXPECT_TRUE(fw::PumpUntil([&] { return (d.GetStyle() & WS_VISIBLE) == 0; }, 5000));
        d.OnExit();
    });
    EXPECT_EQ(result, 0);
}

TEST_F(MainDialogTest, TimerOneAndTwoDriveTheirClocksAndOtherTimersNothing) {
    CHollowmereDlg d;
    RunModal(d, [&] {
        (void)d.KillTimer(kStatisticsTimer);
        (void)d.KillTimer(kAccelerationTimer);
        const int32_t durationSeconds = d.m_nDurHours * 3600 + d.m_nDurMinutes * 60 + d.m_nDurSeconds;
        const int32_t accelerationSeconds = d.m_nAccelHours * 3600 + d.m_nAccelMinutes * 60 + d.m_nAccelSeconds;
        const std::string accelerationText = d.m_strAccelDuration;

        (void)d.SendMessage(WM_TIMER, 3);
        EXPECT_EQ(d.m_nDurHours * 3600 + d.m_nDurMinutes * 60 + d.m_nDurSeconds, durationSeconds);
        EXPECT_EQ(d.m_strAccelDuration, accelerationText);

        (void)d.SendMessage(WM_TIMER, kStatisticsTimer);
        EXPECT_EQ(d.m_nDurHours * 3600 + d.m_nDurMinutes * 60 + d.m_nDurSeconds, durationSeconds + 1);
        (void)d.SendMessage(WM_TIMER, kAccelerationTimer);
        EXPECT_EQ(d.m_nAccelHours * 3600 + d.m_nAccelMinutes * 60 + d.m_nAccelSeconds, accelerationSeconds + 1);
        EXPECT_EQ(d.GetDlgItem(IDC_ACCEL_DURATION)->GetWindowText(), d.m_strAccelDuration);
        d.OnExit();
    });
}

TEST_F(MainDialogTest, StaticControlsGetATransparentBackground) {
    CHollowmereDlg d;
    RunModal(d, [&] {
        const HWND label = ::GetDlgItem(d.m_hWnd, IDC_ACCEL_DURATION);
        const HDC dc = ::GetDC(label);
        (void)::SetBkMode(dc, OPAQUE);
        EXPECT_EQ(d.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)),
                  reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
        EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
        const HWND edit = d.m_editCheckPeriod.m_hWnd;
        EXPECT_NE(d.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit)),
                  reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
        (void)::ReleaseDC(label, dc);
        d.OnExit();
    });
}

} // namespace
