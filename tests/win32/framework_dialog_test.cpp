// Dialogs: data exchange in both directions, the write-only-when-changed rule, initialisation data, our
// modal loop with its pre-translation walk and its end at a quit, and the OK, Cancel and application
// command routes.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework_test_app.h"
#include "framework_test_ids.h"

namespace {

// Counts the texts that reach the control.
class CountingStatic : public CStatic {
public:
    int setTextCount = 0;
    LRESULT OnSetText(WPARAM, LPARAM) {
        ++setTextCount;
        return Default();
    }
    const fw::MessageMap* GetMessageMap() const override {
        static const fw::MessageMapEntry entries[] = {fw::OnMessage<&CountingStatic::OnSetText>(WM_SETTEXT)};
        static const fw::MessageMap map{&CWnd::GetThisMessageMap, entries};
        return &map;
    }
};

// Records the messages that the loop offers it before dispatch.
class RecordingButton : public CButton {
public:
    std::vector<std::string>* log = nullptr;
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_F5) {
            log->push_back("button F5");
        }
        if (msg->message == WM_MOUSEMOVE) {
            log->push_back("button mouse");
        }
        return CButton::PreTranslateMessage(msg);
    }
};

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(IDD_FW_TEST) { button.log = &log; }

    std::string text = "hello";
    std::string label = "Label value";
    CEdit edit;
    CountingStatic labelControl;
    RecordingButton button;
    std::vector<std::string> log;
    std::function<void(TestDialog&)> onInit;
    int okCalls = 0;

    BOOL OnInitDialog() override {
        (void)CDialog::OnInitDialog();
        if (onInit) {
            onInit(*this);
        }
        return TRUE;
    }
    void OnOK() override {
        ++okCalls;
        CDialog::OnOK();
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_F5) {
            log.push_back("dialog F5");
        }
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_FW_EDIT, edit);
        DDX_Text(pDX, IDC_FW_EDIT, text);
        DDX_Control(pDX, IDC_FW_LABEL, labelControl);
        DDX_Text(pDX, IDC_FW_LABEL, label);
        DDX_Control(pDX, IDC_FW_BUTTON, button);
    }
};

void PostKey(HWND target, UINT key) {
    (void)::PostMessageA(target, WM_KEYDOWN, key, 1);
}

TEST(DialogTest, InitialisationBindsControlsFillsThemAndAppliesTheInitialisationData) {
    TestDialog dialog;
    dialog.onInit = [](TestDialog& d) {
        EXPECT_EQ(CWnd::FromHandlePermanent(d.GetDlgItem(IDC_FW_EDIT)->m_hWnd), &d.edit);
        EXPECT_EQ(d.edit.GetWindowText(), "hello");
        EXPECT_EQ(d.labelControl.GetWindowText(), "Label value");
        EXPECT_EQ(d.labelControl.setTextCount, 1);

        CComboBox* combo = static_cast<CComboBox*>(d.GetDlgItem(IDC_FW_COMBO));
        ASSERT_EQ(combo->GetCount(), 2);
        EXPECT_EQ(combo->GetLBText(0), "One");
        EXPECT_EQ(combo->GetLBText(1), "Two");
        EXPECT_EQ(::SendDlgItemMessageA(d.m_hWnd, IDC_FW_LIST, LB_GETCOUNT, 0, 0), 1);
        d.EndDialog(7);
    };
    EXPECT_EQ(dialog.DoModal(), 7);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.edit.m_hWnd, nullptr);
}

TEST(DialogTest, TextsAreSentOnlyWhenTheyDiffer) {
    TestDialog dialog;
    dialog.onInit = [](TestDialog& d) {
        struct Step {
            std::string label;
            int expectedCount; // texts received so far
        };
        const Step steps[] = {
            {"Label value", 1},         // unchanged since initialisation
            {"Other", 2},               // changed
            {"Other", 2},               // same again
            {std::string(255, 'x'), 3}, // the longest text that is compared
            {std::string(255, 'x'), 3},
            {std::string(256, 'y'), 4}, // longer texts are always sent
            {std::string(256, 'y'), 5},
            {"", 6},
            {"", 6},
        };
        for (const Step& step : steps) {
            d.label = step.label;
            EXPECT_TRUE(d.UpdateData(false));
            EXPECT_EQ(d.labelControl.setTextCount, step.expectedCount) << step.label.size();
            EXPECT_EQ(d.labelControl.GetWindowText(), step.label);
        }
        d.EndDialog(0);
    };
    EXPECT_EQ(dialog.DoModal(), 0);
}

TEST(DialogTest, UpdateDataFromTheControlsReadsTheirTexts) {
    TestDialog dialog;
    dialog.onInit = [](TestDialog& d) {
        (void)::SetDlgItemTextA(d.m_hWnd, IDC_FW_EDIT, "typed");
        (void)::SetDlgItemTextA(d.m_hWnd, IDC_FW_LABEL, "");
        EXPECT_TRUE(d.UpdateData(true));
        EXPECT_EQ(d.text, "typed");
        EXPECT_EQ(d.label, "");
        d.EndDialog(0);
    };
    (void)dialog.DoModal();
    EXPECT_EQ(dialog.text, "typed");
}

TEST(DialogTest, ModalLoopOffersInputToTheControlThenToTheDialog) {
    TestDialog dialog;
    dialog.onInit = [](TestDialog& d) {
        PostKey(d.button.m_hWnd, VK_F5);
        (void)::PostMessageA(d.button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        (void)::PostMessageA(d.m_hWnd, WM_COMMAND, kAppOnlyCommand, 0);
        PostKey(d.button.m_hWnd, VK_ESCAPE); // the dialog manager turns it into Cancel
    };
    const int appCommandsBefore = TestApp().appCommands;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"button F5", "dialog F5", "button mouse"}));
    // A command that no window maps goes to the application.
    EXPECT_EQ(TestApp().appCommands, appCommandsBefore + 1);
}

TEST(DialogTest, EnterInAnEditRunsOkWhichTakesTheControlsValues) {
    TestDialog dialog;
    dialog.onInit = [](TestDialog& d) {
        (void)::SetDlgItemTextA(d.m_hWnd, IDC_FW_EDIT, "entered");
        PostKey(d.edit.m_hWnd, VK_RETURN);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.okCalls, 1);
    EXPECT_EQ(dialog.text, "entered");
}

TEST(DialogTest, CloseBoxSendsCancel) {
    TestDialog dialog;
    dialog.onInit = [](TestDialog& d) { (void)::PostMessageA(d.m_hWnd, WM_CLOSE, 0, 0); };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.okCalls, 0);
}

TEST(DialogTest, DialogWithoutParentIsOwnedByTheMainWindowWhichIsDisabledMeanwhile) {
    TestDialog outer;
    outer.onInit = [](TestDialog& o) {
        TestApp().m_pMainWnd = &o;
        TestDialog inner;
        inner.onInit = [&o](TestDialog& i) {
            EXPECT_EQ(::GetWindow(i.m_hWnd, GW_OWNER), o.m_hWnd);
            EXPECT_FALSE(::IsWindowEnabled(o.m_hWnd));
            i.EndDialog(3);
        };
        EXPECT_EQ(inner.DoModal(), 3);
        EXPECT_TRUE(::IsWindowEnabled(o.m_hWnd));
        TestApp().m_pMainWnd = nullptr;
        o.EndDialog(4);
    };
    EXPECT_EQ(outer.DoModal(), 4);
}

TEST(DialogTest, QuitEndsTheModalLoopAndEveryPumpAndStaysForTheLoopOutside) {
    TestDialog dialog;
    dialog.onInit = [](TestDialog&) { ::PostQuitMessage(5); };
    EXPECT_EQ(dialog.DoModal(), -1); // never ended by EndDialog
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(fw::PumpUntil([] { return false; }, 10000));
    EXPECT_LT(::GetTickCount() - start, 5000u) << "the pump waited out its time instead of ending at the quit";
    MSG quit{};
    ASSERT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "the quit was lost";
    EXPECT_EQ(fw::RunMessageLoop(nullptr, [] { return true; }), std::optional<int>(5));
}

TEST(DialogTest, MissingTemplateGivesMinusOne) {
    class Missing : public CDialog {
    public:
        Missing() : CDialog(9999) {}
    } dialog;
    EXPECT_EQ(dialog.DoModal(), -1);
}

} // namespace
