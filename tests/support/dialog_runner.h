// Runs the main dialog (or the About box) in this process for a test: a script runs inside the modal loop,
// message boxes and watcher ends are recorded, and the program's registry values are cleaned before and
// after. Under Wine menus and combo items cannot be read from another process, so these tests run here.
#pragma once

#include "framework/framework.h"
#include "message_boxes.h"
#include "registry.h"
#include "ui/hollowmere_dlg.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace testsupport {

// Runs `dialog` modally; once its loop is up, `script` runs inside it. Unless the script (or what it did)
// has ended the dialog, the dialog is then ended with `endResult`. Gives DoModal's result.
INT_PTR RunModal(CDialog& dialog, const std::function<void()>& script, int endResult = 77);

// A test with an application object, as the program has, recorded message boxes, a clean registry and
// acceleration off before and after.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Exit codes of the watcher threads that ended so far.
    std::vector<unsigned> WatcherExits();
    // Waits until `count` watcher threads have ended (serving messages meanwhile).
    [[nodiscard]] bool WaitForWatcherExits(size_t count, DWORD timeoutMs = 5000);

    CWinApp app_;
    MessageBoxRecorder boxes_;

private:
    std::mutex mutex_;
    std::vector<unsigned> watcherExits_;
};

// A raw socket on a network where nothing arrives: a receive waits until the source is closed, or fails with
// `error` once Fail is called. Lets acceleration run without administrator rights.
class QuietSource final : public net::DatagramSource {
public:
    net::ReceiveOutcome Receive(unsigned char* buffer, size_t size) override;
    void Close() override;
    [[nodiscard]] int LastError() const override;
    void Fail(int error);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool closed_ = false;
    int error_ = 0;
};

// An opening of the raw socket that gives a QuietSource, kept in `*last` when given.
std::function<net::RawSocketOpening()> QuietOpener(QuietSource** last = nullptr);

// Records the check mark an update handler sets.
class RecordingCmdUI : public CCmdUI {
public:
    int checked = -1;
    void SetCheck(int check) override { checked = check; }
};

} // namespace testsupport
