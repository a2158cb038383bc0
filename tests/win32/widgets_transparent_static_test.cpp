// CTransparentStatic under Wine: the parent's background shows between the letters, a text change hides and
// shows the label so no old letters remain, and an unchanged text is not sent at all.
#include "widgets/transparent_static.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/data_exchange.h"
#include "picture.h"
#include "widgets_win32_support.h"

namespace {

using fw::PumpFor;
using widgets_test::CommandSink;

constexpr COLORREF kBackground = RGB(255, 0, 0);

class CountingStatic : public CTransparentStatic {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SETTEXT) {
            ++setTexts;
        } else if (message == WM_SHOWWINDOW) {
            (wParam != 0 ? shows : hides) += 1;
        }
        return CTransparentStatic::WindowProc(message, wParam, lParam);
    }
    int setTexts = 0;
    int hides = 0;
    int shows = 0;
};

// The pixels of a control's client area as they are on the screen, and what the tests count in them.
struct Pixels : lookout::Picture {
    // Pixels of rows [fromY, toY) (toY < 0: to the end) that `counted` takes.
    template <typename Rule>
    int CountWhere(Rule counted, int fromY = 0, int toY = -1) const {
        int count = 0;
        for (int y = fromY; y < (toY < 0 ? height : toY); ++y) {
            for (int x = 0; x < width; ++x) {
                count += counted(x, y) ? 1 : 0;
            }
        }
        return count;
    }
    int Count(COLORREF colour) const {
        return CountWhere([&](int x, int y) { return At(x, y) == colour; });
    }
    // Pixels that are not the background: the letters.
    int Ink(int fromY = 0, int toY = -1) const {
        return CountWhere([&](int x, int y) { return At(x, y) != kBackground; }, fromY, toY);
    }
    int RightmostInk() const {
        int right = -1;
        (void)CountWhere([&](int x, int y) {
            right = At(x, y) != kBackground && x > right ? x : right;
            return false;
        });
        return right;
    }
};

Pixels Capture(HWND control) {
    PumpFor(150);
    (void)::UpdateWindow(::GetParent(control));
    (void)::UpdateWindow(control);
    return Pixels{lookout::GrabClient(control)};
}

// One visible parent with a red background for the whole suite; each test's labels are destroyed with the test.
class TransparentStatic : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static const HBRUSH red = ::CreateSolidBrush(kBackground);
        parentWindow = new CommandSink;
        (void)parentWindow->Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, red);
    }
    static void TearDownTestSuite() {
        delete parentWindow;
        parentWindow = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(parent.GetSafeHwnd(), nullptr);
        PumpFor(50);
    }
    void TearDown() override {
        for (const HWND label : labels) {
            (void)::DestroyWindow(label);
        }
    }
    HWND MakeLabel(const char* text, int height = 20) {
        const HWND label = ::CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT, 20, 20, 200, height,
                                             parent.GetSafeHwnd(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
        (void)::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), 0);
        labels.push_back(label);
        return label;
    }
    static inline CommandSink* parentWindow = nullptr;
    CommandSink& parent = *parentWindow;
    std::vector<HWND> labels;
};

TEST_F(TransparentStatic, PaintsTheTextWithoutFillingTheBackground) {
    const HWND standard = MakeLabel("Bytes Sent");
    const Pixels plain = Capture(standard);
    EXPECT_EQ(plain.Count(kBackground), 0); // the standard label fills its box
    (void)::DestroyWindow(standard);

    CountingStatic label;
    ASSERT_TRUE(label.SubclassWindow(MakeLabel("Bytes Sent")));
    const Pixels pixels = Capture(label.GetSafeHwnd());
    const int all = pixels.width * pixels.height;
    EXPECT_GT(pixels.Count(kBackground), all / 2);
    EXPECT_GT(pixels.Ink(), 10);
    EXPECT_LT(pixels.RightmostInk(), pixels.width / 2);
}

TEST_F(TransparentStatic, NewTextHidesAndShowsTheLabelAndLeavesNoTraceOfTheOld) {
    CountingStatic label;
    ASSERT_TRUE(label.SubclassWindow(MakeLabel("WWWWWWWWWWWWWWWWWWWW")));
    const Pixels wide = Capture(label.GetSafeHwnd());
    EXPECT_GT(wide.RightmostInk(), 60);

    label.SetWindowText("i");
    EXPECT_EQ(label.setTexts, 1);
    EXPECT_EQ(label.hides, 1);
    EXPECT_EQ(label.shows, 1);
    EXPECT_TRUE(label.IsWindowVisible());
    EXPECT_EQ(label.GetWindowText(), "i");
    const Pixels narrow = Capture(label.GetSafeHwnd());
    EXPECT_GT(narrow.Ink(), 0);
    EXPECT_LT(narrow.RightmostInk(), 20);
}

TEST_F(TransparentStatic, TheSameTextIsNotSentAgain) {
    CountingStatic label;
    ASSERT_TRUE(label.SubclassWindow(MakeLabel("  0 hrs :  0 mins :  1 secs")));
    fw::SetWindowTextIfChanged(label.GetSafeHwnd(), "  0 hrs :  0 mins :  1 secs");
    EXPECT_EQ(label.setTexts, 0);
    EXPECT_EQ(label.hides + label.shows, 0);
    fw::SetWindowTextIfChanged(label.GetSafeHwnd(), "  0 hrs :  0 mins :  2 secs");
    EXPECT_EQ(label.setTexts, 1);
    EXPECT_EQ(label.hides, 1);
    EXPECT_EQ(label.shows, 1);
}

TEST_F(TransparentStatic, AHiddenLabelStaysHiddenWhenItsTextChanges) {
    CountingStatic label;
    ASSERT_TRUE(label.SubclassWindow(MakeLabel("Status")));
    (void)label.ShowWindow(SW_HIDE);
    label.hides = 0;
    label.SetWindowText("Connected");
    EXPECT_EQ(label.GetWindowText(), "Connected");
    EXPECT_FALSE(label.IsWindowVisible());
    EXPECT_EQ(label.shows, 0);
}

TEST_F(TransparentStatic, LineBreaksAndMnemonicPrefix) {
    CountingStatic label;
    ASSERT_TRUE(label.SubclassWindow(MakeLabel("A", 40)));
    label.SetWindowText("A\r\nB");
    const Pixels twoLines = Capture(label.GetSafeHwnd());
    EXPECT_GT(twoLines.Ink(0, 18), 0);
    EXPECT_GT(twoLines.Ink(18, 40), 0);

    label.SetWindowText("W");
    const Pixels letter = Capture(label.GetSafeHwnd());
    label.SetWindowText("&W");
    const Pixels underlined = Capture(label.GetSafeHwnd());
    // The "&" is not drawn: the letter stays where it was, with an underline added.
    EXPECT_EQ(underlined.RightmostInk(), letter.RightmostInk());
    EXPECT_GT(underlined.Ink(), letter.Ink());
}

} // namespace
