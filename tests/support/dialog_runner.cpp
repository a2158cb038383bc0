// Runs the main dialog (or the About box) in this process for a test.
#include "dialog_runner.h"

#include "net/acceleration_run.h"

#include <memory>
#include <utility>

namespace testsupport {

namespace {

const std::function<void()>* pendingScript = nullptr;
CDialog* runningDialog = nullptr;
int pendingEnd = 0;
UINT_PTR endTimer = 0;

// Comes only while the dialog's loop still runs: a dialog that the script ended leaves its loop first.
void CALLBACK EndStillRunningDialog(HWND, UINT, UINT_PTR id, DWORD) {
    (void)::KillTimer(nullptr, id);
    if (runningDialog != nullptr && runningDialog->m_hWnd != nullptr) {
        runningDialog->EndDialog(pendingEnd);
    }
}

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
    (void)::KillTimer(nullptr, id);
    if (const std::function<void()>* script = std::exchange(pendingScript, nullptr); script != nullptr) {
        (*script)();
    }
    endTimer = ::SetTimer(nullptr, 0, 0, EndStillRunningDialog);
}

} // namespace

INT_PTR RunModal(CDialog& dialog, const std::function<void()>& script, int endResult) {
    // As at the program's start, the first dialog is the application's main window (the tray and the
    // message boxes look for it there).
    CWinApp* app = AfxGetApp();
    CWnd* const previousMain = app != nullptr ? app->m_pMainWnd : nullptr;
    if (app != nullptr && previousMain == nullptr) {
        app->m_pMainWnd = &dialog;
    }
    pendingScript = &script;
    runningDialog = &dialog;
    pendingEnd = endResult;
    const UINT_PTR scriptTimer = ::SetTimer(nullptr, 0, 50, RunScript);
    const INT_PTR result = dialog.DoModal();
    (void)::KillTimer(nullptr, scriptTimer);
    if (endTimer != 0) {
        (void)::KillTimer(nullptr, std::exchange(endTimer, 0));
    }
    pendingScript = nullptr;
    runningDialog = nullptr;
    if (app != nullptr) {
        app->m_pMainWnd = previousMain;
    }
    return result;
}

void DialogTest::SetUp() {
    ASSERT_TRUE(AfxWinInit(::GetModuleHandleA(nullptr)));
    CleanProgramRegistry();
    fw::SetThreadHooks(nullptr, [this](AFX_THREADPROC proc, void*, unsigned code) {
        if (proc != net::WatcherThreadProc) {
            return;
        }
        const std::lock_guard lock(mutex_);
        watcherExits_.push_back(code);
    });
    // Every test starts with acceleration off, as the program does.
    net::accelerationRunning = 0;
}

void DialogTest::TearDown() {
    fw::SetThreadHooks(nullptr, nullptr);
    // The acceleration a dialog started is left running by design; it must not reach the next test.
    net::accelerationRunning = 0;
    CleanProgramRegistry();
}

std::vector<unsigned> DialogTest::WatcherExits() {
    const std::lock_guard lock(mutex_);
    return watcherExits_;
}

bool DialogTest::WaitForWatcherExits(size_t count, DWORD timeoutMs) {
    return fw::PumpUntil([&] { return WatcherExits().size() >= count; }, timeoutMs);
}

net::ReceiveOutcome QuietSource::Receive(unsigned char*, size_t) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return closed_ || error_ != 0; });
    return net::ReceiveOutcome::Failed;
}

void QuietSource::Close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

int QuietSource::LastError() const {
    const std::lock_guard lock(mutex_);
    return error_;
}

void QuietSource::Fail(int error) {
    const std::lock_guard lock(mutex_);
    error_ = error;
    changed_.notify_all();
}

std::function<net::RawSocketOpening()> QuietOpener(QuietSource** last) {
    return [last] {
        net::RawSocketOpening opening;
        auto source = std::make_unique<QuietSource>();
        if (last != nullptr) {
            *last = source.get();
        }
        opening.source = std::move(source);
        opening.step = net::RawSocketStep::Ready;
        return opening;
    };
}

} // namespace testsupport
