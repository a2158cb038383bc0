// CButtonST under Wine: the tooltip's one tool, its text and activation, the balloon style, and a double-click
// that reaches the button as a second press.
#include "widgets/button_st.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "widgets_test_resources.h"
#include "widgets_win32_support.h"

namespace {

using fw::PumpFor;
using widgets_test::CommandSink;

constexpr int kButtonId = 3;

class ExposedButton : public CButtonST {
public:
    using CButtonST::m_dwToolTipStyle;
    using CButtonST::m_ToolTip;
};

struct Tool {
    bool found = false;
    RECT rect{};
    std::string text;
};

Tool ReadTool(const ExposedButton& button) {
    Tool tool;
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = button.GetSafeHwnd();
    info.uId = 1;
    tool.found = button.m_ToolTip.SendMessage(TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
    tool.rect = info.rect;
    char text[512] = {};
    info.lpszText = text;
    (void)button.m_ToolTip.SendMessage(TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&info));
    tool.text = text;
    return tool;
}

// One visible parent for the whole suite: under Wine every visible top-level window takes a while to go away.
class ButtonST : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        parentWindow = new CommandSink;
        (void)parentWindow->Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    }
    static void TearDownTestSuite() {
        delete parentWindow;
        parentWindow = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(parent.GetSafeHwnd(), nullptr);
        parent.commands.clear();
        PumpFor(50);
    }
    // The test's buttons go with the test, so the next test's button is the one under the mouse.
    void TearDown() override {
        for (const HWND button : buttons) {
            (void)::DestroyWindow(button);
        }
    }
    HWND MakeButton(DWORD extraStyle = 0) {
        const HWND button =
            ::CreateWindowExA(0, "BUTTON", "&Run", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | extraStyle, 10, 10, 100, 30,
                              parent.GetSafeHwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)),
                              ::GetModuleHandleA(nullptr), nullptr);
        buttons.push_back(button);
        return button;
    }
    int Count(WORD code) const {
        int count = 0;
        for (const auto& [wParam, lParam] : parent.commands) {
            count += LOWORD(wParam) == kButtonId && HIWORD(wParam) == code ? 1 : 0;
        }
        return count;
    }
    static inline CommandSink* parentWindow = nullptr;
    CommandSink& parent = *parentWindow;
    std::vector<HWND> buttons;
};

TEST_F(ButtonST, FirstTipAddsOneToolOverTheClientRectangleLaterTipsChangeOnlyTheText) {
    ExposedButton button;
    ASSERT_TRUE(button.SubclassWindow(MakeButton()));
    button.AssignTip(nullptr);
    EXPECT_EQ(button.m_ToolTip.GetSafeHwnd(), nullptr);

    button.AssignTip("Run Quillfin", TRUE);
    ASSERT_NE(button.m_ToolTip.GetSafeHwnd(), nullptr);
    EXPECT_EQ(button.m_ToolTip.GetToolCount(), 1);
    EXPECT_EQ(button.m_ToolTip.SendMessage(TTM_GETMAXTIPWIDTH), 400);
    // A popup owned by the button's window tree.
    EXPECT_NE(button.m_ToolTip.GetStyle() & WS_POPUP, 0u);
    EXPECT_EQ(::GetAncestor(::GetWindow(button.m_ToolTip.GetSafeHwnd(), GW_OWNER), GA_ROOT), parent.GetSafeHwnd());
    Tool tool = ReadTool(button);
    ASSERT_TRUE(tool.found);
    EXPECT_EQ(tool.text, "Run Quillfin");
    RECT client{};
    button.GetClientRect(&client);
    EXPECT_TRUE(::EqualRect(&tool.rect, &client));

    // A larger button keeps the hot area of the first AssignTip.
    (void)::MoveWindow(button.GetSafeHwnd(), 10, 10, 160, 50, TRUE);
    button.AssignTip(std::string("Exit"), FALSE);
    EXPECT_EQ(button.m_ToolTip.GetToolCount(), 1);
    tool = ReadTool(button);
    EXPECT_EQ(tool.text, "Exit");
    EXPECT_TRUE(::EqualRect(&tool.rect, &client));

    button.AssignTipFromResource(IDS_TEST_NO_SUCH_STRING);
    EXPECT_EQ(ReadTool(button).text, "Exit");
    button.AssignTipFromResource(IDS_TEST_TIP);
    EXPECT_EQ(ReadTool(button).text, "Tip from a string resource");
}

TEST_F(ButtonST, EnableTipNeedsATool) {
    ExposedButton button;
    ASSERT_TRUE(button.SubclassWindow(MakeButton()));
    button.EnableTip(TRUE);
    EXPECT_EQ(button.m_ToolTip.GetSafeHwnd(), nullptr);
    button.AssignTipFromResource(IDS_TEST_NO_SUCH_STRING);
    EXPECT_EQ(button.m_ToolTip.GetSafeHwnd(), nullptr);
}

TEST_F(ButtonST, BalloonStyleCountsOnlyBeforeTheTooltipExists) {
    ExposedButton early;
    ASSERT_TRUE(early.SubclassWindow(MakeButton()));
    EXPECT_EQ(early.UseBalloonTips(), 0u);
    early.AssignTip("Save");
    EXPECT_NE(early.m_ToolTip.GetStyle() & TTS_BALLOON, 0u);

    ExposedButton late;
    ASSERT_TRUE(late.SubclassWindow(MakeButton()));
    (void)late.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    PumpFor(50);
    // Pre-translating one message made the (silent, tool-less) tooltip.
    ASSERT_NE(late.m_ToolTip.GetSafeHwnd(), nullptr);
    EXPECT_EQ(late.m_ToolTip.GetToolCount(), 0);
    EXPECT_EQ(late.UseBalloonTips(), 0u);
    EXPECT_NE(late.m_dwToolTipStyle & TTS_BALLOON, 0u);
    late.AssignTip("Save");
    EXPECT_EQ(late.m_ToolTip.GetStyle() & TTS_BALLOON, 0u);
}

// A button of the BS_NOTIFY kind reports a double-click as such; ours reports it as a second press.
void DoubleClick(HWND button) {
    const LPARAM at = MAKELPARAM(20, 15);
    (void)::PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
    (void)::PostMessageA(button, WM_LBUTTONUP, 0, at);
    (void)::PostMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    (void)::PostMessageA(button, WM_LBUTTONUP, 0, at);
    PumpFor(100);
}

TEST_F(ButtonST, DoubleClickReachesTheButtonAsTwoPresses) {
    const HWND plain = MakeButton(BS_NOTIFY);
    DoubleClick(plain);
    EXPECT_EQ(Count(BN_CLICKED), 1);
    EXPECT_EQ(Count(BN_DOUBLECLICKED), 1);
    (void)::ShowWindow(plain, SW_HIDE);

    parent.commands.clear();
    ExposedButton button;
    ASSERT_TRUE(button.SubclassWindow(MakeButton(BS_NOTIFY)));
    button.AssignTip("Accelerate Quillfin");
    DoubleClick(button.GetSafeHwnd());
    EXPECT_EQ(Count(BN_CLICKED), 2);
    EXPECT_EQ(Count(BN_DOUBLECLICKED), 0);
}

// The tip appears when the mouse rests on the button, unless the tooltip is silenced.
bool TipShowsWhenTheMouseRests(ExposedButton& button) {
    RECT screen{};
    button.GetWindowRect(&screen);
    (void)::SetCursorPos(screen.left - 40, screen.top - 40);
    PumpFor(100);
    (void)button.m_ToolTip.SendMessage(TTM_POP);
    // The tooltip shows only when the mouse enters the tool, so it first sees the mouse outside.
    (void)button.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(-5, -5));
    PumpFor(50);
    (void)::SetCursorPos((screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2);
    (void)button.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 15));
    for (int i = 0; i < 40; ++i) {
        PumpFor(50);
        if (button.m_ToolTip.IsWindowVisible()) {
            return true;
        }
    }
    return false;
}

TEST_F(ButtonST, SilentTipStaysHiddenUntilEnabled) {
    ::SetForegroundWindow(parent.GetSafeHwnd());
    ExposedButton button;
    ASSERT_TRUE(button.SubclassWindow(MakeButton()));
    button.AssignTip("Exit", FALSE);
    (void)button.m_ToolTip.SendMessage(TTM_SETDELAYTIME, TTDT_INITIAL, 10);
    EXPECT_FALSE(TipShowsWhenTheMouseRests(button));
    button.EnableTip(TRUE);
    EXPECT_TRUE(TipShowsWhenTheMouseRests(button));
    button.EnableTip(FALSE);
    EXPECT_FALSE(TipShowsWhenTheMouseRests(button));
}

} // namespace
