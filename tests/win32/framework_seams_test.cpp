// The message box and thread seams, and the application-wide helpers around them.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "framework_test_app.h"

namespace {

struct SeenBox {
    int calls = 0;
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    unsigned int style = 0;
};

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::SetMessageBoxHook([this](HWND owner, const std::string& text, const std::string& caption, unsigned style) {
            ++seen.calls;
            seen.owner = owner;
            seen.text = text;
            seen.caption = caption;
            seen.style = style;
            return IDRETRY;
        });
    }
    void TearDown() override { fw::SetMessageBoxHook({}); }
    SeenBox seen;
};

TEST_F(MessageBoxTest, ApplicationTitleIsTheExecutableNameWithoutExtension) {
    EXPECT_STREQ(AfxGetAppName(), "win32_framework");
    EXPECT_EQ(AfxGetApp(), &TestApp());
}

TEST_F(MessageBoxTest, AfxMessageBoxUsesTheTitleAndAddsTheIconThatFitsTheButtons) {
    struct Case {
        UINT given;
        UINT shown;
    };
    const Case cases[] = {
        {MB_OK, MB_OK | MB_ICONEXCLAMATION},
        {MB_OKCANCEL, MB_OKCANCEL | MB_ICONEXCLAMATION},
        {MB_YESNO, MB_YESNO | MB_ICONQUESTION},
        {MB_RETRYCANCEL, MB_RETRYCANCEL},
        {MB_OK | MB_ICONERROR, MB_OK | MB_ICONERROR}, // an icon given is kept
        {0x10, 0x10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AfxMessageBox("Error loading Iphlpapi.dll", c.given), IDRETRY);
        EXPECT_EQ(seen.text, "Error loading Iphlpapi.dll");
        EXPECT_EQ(seen.caption, "win32_framework");
        EXPECT_EQ(seen.style, c.shown) << c.given;
    }
    EXPECT_EQ(seen.calls, 6);
    EXPECT_EQ(seen.owner, nullptr); // no main window
}

TEST_F(MessageBoxTest, DirectCallsPassUnchanged) {
    EXPECT_EQ(fw::ShowMessageBox(nullptr, "text", "Error", MB_ICONERROR), IDRETRY);
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_EQ(seen.style, static_cast<unsigned>(MB_ICONERROR));
}

// ---- Threads ---------------------------------------------------------------------------------------------

struct ThreadRecord {
    std::atomic<int> starts{0};
    std::atomic<int> ends{0};
    std::atomic<unsigned> lastCode{999};
    std::atomic<void*> lastParam{nullptr};
    HANDLE ended = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ~ThreadRecord() { (void)::CloseHandle(ended); }
};

unsigned int ReturnsSeven(void*) {
    return 7;
}
unsigned int EndsWithThree(void*) {
    AfxEndThread(3);
}
unsigned int MustNotRun(void* param) {
    static_cast<std::atomic<int>*>(param)->fetch_add(1);
    return 0;
}

class ThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::SetThreadHooks(
            [this](AFX_THREADPROC proc, void*) {
                ++record.starts;
                return proc != &MustNotRun;
            },
            [this](AFX_THREADPROC, void* param, unsigned code) {
                record.lastCode = code;
                record.lastParam = param;
                ++record.ends;
                (void)::SetEvent(record.ended);
            });
    }
    void TearDown() override { fw::SetThreadHooks({}, {}); }
    ThreadRecord record;
};

TEST_F(ThreadTest, StartAndEndPassTheHooksWithTheExitCode) {
    int marker = 0;
    struct Case {
        AFX_THREADPROC proc;
        unsigned code;
    };
    for (const Case c : {Case{&ReturnsSeven, 7}, Case{&EndsWithThree, 3}}) {
        const CWinThread thread = AfxBeginThread(c.proc, &marker);
        ASSERT_TRUE(thread);
        ASSERT_EQ(::WaitForSingleObject(record.ended, 10000), WAIT_OBJECT_0);
        EXPECT_EQ(record.lastCode.load(), c.code);
        EXPECT_EQ(record.lastParam.load(), &marker);
    }
    EXPECT_EQ(record.starts.load(), 2);
    EXPECT_EQ(record.ends.load(), 2);
}

TEST_F(ThreadTest, StartHookCanRefuseTheThread) {
    std::atomic<int> runs{0};
    EXPECT_FALSE(AfxBeginThread(&MustNotRun, &runs));
    // A thread that ran anyway would show within this time; its absence has no event to wait for.
    ::Sleep(50);
    EXPECT_EQ(runs.load(), 0);
    EXPECT_EQ(record.starts.load(), 1);
    EXPECT_EQ(record.ends.load(), 0);
}

// The handle that the start gives back is all a caller needs to wait for the thread and read its end.
TEST(ThreadExitCodeTest, ThreadEndsWithTheCodeOfItsProcedure) {
    struct Case {
        AFX_THREADPROC proc;
        int priority;
        DWORD code;
    };
    for (const Case c :
         {Case{&ReturnsSeven, THREAD_PRIORITY_NORMAL, 7}, Case{&EndsWithThree, THREAD_PRIORITY_HIGHEST, 3}}) {
        const fw::Thread thread = fw::StartThread(c.proc, nullptr, c.priority);
        ASSERT_TRUE(thread);
        EXPECT_EQ(::GetThreadPriority(thread.Handle()), c.priority);
        ASSERT_EQ(::WaitForSingleObject(thread.Handle(), 10000), WAIT_OBJECT_0);
        DWORD code = 0;
        ASSERT_TRUE(::GetExitCodeThread(thread.Handle(), &code));
        EXPECT_EQ(code, c.code);
    }
}

} // namespace
