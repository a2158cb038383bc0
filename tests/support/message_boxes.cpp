// Every message box of the framework recorded and answered with OK instead of shown.
#include "message_boxes.h"

#include "framework/message_box.h"

namespace testsupport {

MessageBoxRecorder::MessageBoxRecorder() {
    fw::SetMessageBoxHook([this](HWND owner, const std::string& text, const std::string& caption, unsigned style) {
        const std::lock_guard lock(mutex_);
        boxes_.push_back({owner, text, caption, style});
        return IDOK;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    fw::SetMessageBoxHook(nullptr);
}

std::vector<RecordedBox> MessageBoxRecorder::Boxes() const {
    const std::lock_guard lock(mutex_);
    return boxes_;
}

void MessageBoxRecorder::Clear() {
    const std::lock_guard lock(mutex_);
    boxes_.clear();
}

} // namespace testsupport
