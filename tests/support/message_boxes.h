// Every message box of the framework recorded and answered with OK instead of shown, from any thread, while
// the recorder lives: no test can hang on a box.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

struct RecordedBox {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    unsigned style = 0;
};

class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    [[nodiscard]] std::vector<RecordedBox> Boxes() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<RecordedBox> boxes_;
};

} // namespace testsupport
