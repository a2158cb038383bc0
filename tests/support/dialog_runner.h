// Runs the main dialog (or the About box) in this process for a test: a script runs inside the modal loop,
// message boxes and thread ends are recorded, and the program's registry values are cleaned before and after.
#pragma once

#include "framework/framework.h"
#include "ui/hollowmere_dlg.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace nettest {

struct RecordedBox {
    std::string text;
    std::string caption;
    unsigned style = 0;
};

// Removes HKCU\Software\Brisklane and the Run key's "Brisklane" value.
void CleanProgramRegistry();

// Processes the thread's messages for `ms` milliseconds (timers included).
void Pump(DWORD ms);
// Processes the thread's messages until `condition` holds or `timeoutMs` have passed; gives the condition.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Runs `dialog` modally; once its loop is up, `script` runs inside it, and then the dialog is ended with
// `endResult`, unless that is kLeaveOpen (the script then ends it itself). Gives DoModal's result.
constexpr int kLeaveOpen = -1000;
INT_PTR RunModal(CDialog& dialog, const std::function<void()>& script, int endResult = 77);

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Exit codes of the watcher threads that ended so far.
    std::vector<unsigned> WatcherExits();
    // Waits until `count` watcher threads have ended (pumping messages meanwhile).
    bool WaitForWatcherExits(size_t count, DWORD timeoutMs = 5000);

    std::vector<RecordedBox> boxes_;

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

// Reads a value's type and raw bytes; false when it does not exist.
bool ReadRawValue(HKEY root, const char* key, const char* name, DWORD& type, std::vector<unsigned char>& data);
// A REG_DWORD value, or -1 (as 64-bit) when missing or of another type.
long long ReadDwordValue(const char* key, const char* name);
void WriteRawValue(const char* key, const char* name, DWORD type, const void* data, DWORD size);
bool KeyExists(const char* key);

// Records the check mark an update handler sets.
class RecordingCmdUI : public CCmdUI {
public:
    int checked = -1;
    void SetCheck(int check) override { checked = check; }
};

} // namespace nettest
