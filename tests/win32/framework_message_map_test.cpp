// Message maps: dispatch by message, command and notification, chaining to the base class, defaults.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "framework_test_app.h"

namespace {

UINT registeredMessage = 0;

class BaseWindow : public CWnd {
public:
    std::vector<std::string> calls;

    void OnBaseOnly(WPARAM wParam, LPARAM) { calls.push_back("base-only " + std::to_string(wParam)); }
    LRESULT OnShared(WPARAM, LPARAM) {
        calls.push_back("base-shared");
        return 1;
    }
    void OnBaseCommand() { calls.push_back("base-command"); }

    const fw::MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

protected:
    static const fw::MessageMap* GetThisMessageMap() {
        static const fw::MessageMapEntry entries[] = {
            fw::OnMessage<&BaseWindow::OnBaseOnly>(WM_APP + 1),
            fw::OnMessage<&BaseWindow::OnShared>(WM_APP + 2),
            fw::OnCommand<&BaseWindow::OnBaseCommand>(100),
        };
        static const fw::MessageMap map{&CWnd::GetThisMessageMap, entries};
        return &map;
    }
};

class DerivedWindow : public BaseWindow {
public:
    LRESULT OnShared(WPARAM, LPARAM) {
        calls.push_back("derived-shared");
        return 2;
    }
    void OnCommand200() { calls.push_back("command 200"); }
    void OnSelChange() { calls.push_back("selchange 300"); }
    void OnRegistered() { calls.push_back("registered"); }
    void OnTimer(UINT_PTR id) { calls.push_back("timer " + std::to_string(id)); }
    LRESULT OnDefaulted(WPARAM, LPARAM) {
        calls.push_back("defaulted");
        return Default();
    }
    LRESULT OnThrows(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    void OnSettingChange(UINT flags, const char* section) {
        calls.push_back("setting " + std::to_string(flags) + " " + (section != nullptr ? section : "-"));
    }

    const fw::MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

protected:
    static const fw::MessageMap* GetThisMessageMap() {
        using D = DerivedWindow;
        static const fw::MessageMapEntry entries[] = {
            fw::OnMessage<&D::OnShared>(WM_APP + 2),
            fw::OnCommand<&D::OnCommand200>(200),
            fw::OnNotify<&D::OnSelChange>(CBN_SELCHANGE, 300),
            fw::OnRegisteredMessage<&D::OnRegistered>(registeredMessage),
            fw::OnWmTimer<&D::OnTimer>(),
            fw::OnMessage<&D::OnDefaulted>(WM_GETTEXTLENGTH),
            fw::OnMessage<&D::OnThrows>(WM_APP + 3),
            fw::OnWmSettingChange<&D::OnSettingChange>(),
        };
        static const fw::MessageMap map{&BaseWindow::GetThisMessageMap, entries};
        return &map;
    }
};

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        registeredMessage = ::RegisterWindowMessageA("BrisklaneFrameworkTestMessage");
        const std::string windowClass = AfxRegisterWndClass(0);
        ASSERT_FALSE(windowClass.empty());
        ASSERT_TRUE(window.CreateEx(0, windowClass.c_str(), "test window", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    }

    DerivedWindow window;
};

TEST_F(MessageMapTest, WindowIsBoundFromItsFirstMessage) {
    EXPECT_EQ(CWnd::FromHandlePermanent(window.m_hWnd), &window);
    EXPECT_EQ(CWnd::FromHandle(window.m_hWnd), &window);
    EXPECT_EQ(window.GetWindowText(), "test window");
}

TEST_F(MessageMapTest, DispatchFollowsTheChainFromDerivedToBase) {
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* call;
        LRESULT result;
    };
    const Case cases[] = {
        {WM_APP + 1, 7, 0, "base-only 7", 0},                                // only the base maps it
        {WM_APP + 2, 0, 0, "derived-shared", 2},                             // the derived entry wins
        {WM_COMMAND, 100, 0, "base-command", 0},                             // menu command, base map
        {WM_COMMAND, 200, 0, "command 200", 0},                              // menu command
        {WM_COMMAND, MAKEWPARAM(200, 1), 0, "command 200", 0},               // accelerator
        {WM_COMMAND, MAKEWPARAM(300, CBN_SELCHANGE), 1, "selchange 300", 0}, // control notification
        {WM_TIMER, 4, 0, "timer 4", 0},
        {registeredMessage, 0, 0, "registered", 0},
        {WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, "setting 47 -", 0},
    };
    for (const Case& c : cases) {
        window.calls.clear();
        const LRESULT result = ::SendMessageA(window.m_hWnd, c.message, c.wParam, c.lParam);
        ASSERT_EQ(window.calls.size(), 1u) << c.call;
        EXPECT_EQ(window.calls[0], c.call);
        EXPECT_EQ(result, c.result) << c.call;
    }
}

TEST_F(MessageMapTest, UnmappedCommandsAndNotificationsReachNoHandler) {
    const std::pair<WPARAM, LPARAM> unmapped[] = {
        {MAKEWPARAM(300, CBN_DROPDOWN), 1},  // other notification of a mapped control
        {MAKEWPARAM(200, CBN_SELCHANGE), 1}, // notification code of a control with only a command entry
        {999, 0},                            // unknown command
    };
    for (const auto& [wParam, lParam] : unmapped) {
        window.calls.clear();
        (void)::SendMessageA(window.m_hWnd, WM_COMMAND, wParam, lParam);
        EXPECT_TRUE(window.calls.empty()) << wParam;
    }
}

TEST_F(MessageMapTest, DefaultRunsTheSystemHandlingOfTheCurrentMessage) {
    EXPECT_EQ(::SendMessageA(window.m_hWnd, WM_GETTEXTLENGTH, 0, 0), 11); // "test window"
    EXPECT_EQ(window.calls, std::vector<std::string>{"defaulted"});
}

TEST_F(MessageMapTest, ExceptionStopsAtTheWindowProcedure) {
    EXPECT_EQ(::SendMessageA(window.m_hWnd, WM_APP + 3, 0, 0), 0);
    // The window still works afterwards.
    EXPECT_EQ(::SendMessageA(window.m_hWnd, WM_APP + 2, 0, 0), 2);
}

TEST_F(MessageMapTest, OtherThreadsAreRefusedTheObjectsOfWindows) {
    // Every window lives on the UI thread: a worker that asks for an object gets none, and binds none,
    // rather than racing the UI thread over the table.
    const HWND label = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                         ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(label, nullptr);
    CWnd* permanent = &window;
    CWnd* wrapper = &window;
    bool subclassed = true;
    CWnd other;
    std::thread worker([&] {
        permanent = CWnd::FromHandlePermanent(window.m_hWnd);
        wrapper = CWnd::FromHandle(label);
        subclassed = other.SubclassWindow(label);
    });
    worker.join();
    EXPECT_EQ(permanent, nullptr);
    EXPECT_EQ(wrapper, nullptr);
    EXPECT_FALSE(subclassed);
    EXPECT_EQ(CWnd::FromHandlePermanent(window.m_hWnd), &window);
    (void)::DestroyWindow(label);
}

TEST_F(MessageMapTest, DestroyingTheWindowUnbindsTheObject) {
    const HWND hWnd = window.m_hWnd;
    ASSERT_TRUE(window.DestroyWindow());
    EXPECT_EQ(window.m_hWnd, nullptr);
    EXPECT_FALSE(::IsWindow(hWnd));
}

TEST(SubclassTest, SubclassedControlPassesUnmappedMessagesToItsOwnProcedure) {
    const HWND edit = ::CreateWindowExA(0, "EDIT", "abc", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                        ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    {
        DerivedWindow control;
        ASSERT_TRUE(control.SubclassWindow(edit));
        EXPECT_EQ(CWnd::FromHandlePermanent(edit), &control);
        EXPECT_EQ(::SendMessageA(edit, WM_APP + 2, 0, 0), 2);
        (void)::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("changed"));
        EXPECT_EQ(control.GetWindowText(), "changed");
        // Two objects never own one window.
        DerivedWindow second;
        EXPECT_FALSE(second.SubclassWindow(edit));
    }
    // The object went away; the control lives on with its own procedure.
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
    EXPECT_NE(::SendMessageA(edit, WM_APP + 2, 0, 0), 2);
    char text[16] = {};
    (void)::GetWindowTextA(edit, text, sizeof(text));
    EXPECT_STREQ(text, "changed");
    (void)::DestroyWindow(edit);
}

TEST(FromHandleTest, TemporaryWrapperForWindowsWithoutObject) {
    const HWND button = ::CreateWindowExA(0, "BUTTON", "b", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                          ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(button, nullptr);
    CWnd* wrapper = CWnd::FromHandle(button);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->m_hWnd, button);
    EXPECT_EQ(CWnd::FromHandle(button), wrapper);
    EXPECT_EQ(CWnd::FromHandlePermanent(button), nullptr);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    (void)::DestroyWindow(button);
}

} // namespace
