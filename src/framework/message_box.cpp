// Shows message boxes, or hands them to the hook that a test installed.
#include "framework/message_box.h"

#include <mutex>

namespace fw {
namespace {

std::mutex& HookMutex() {
    static std::mutex mutex;
    return mutex;
}

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

} // namespace

int ShowMessageBox(HWND owner, const char* text, const char* caption, unsigned int style) {
    MessageBoxHook hook;
    {
        // Copied under the lock so a worker thread's box never races a test that swaps the hook.
        std::lock_guard lock(HookMutex());
        hook = Hook();
    }
    if (hook) {
        return hook(owner, text != nullptr ? text : "", caption != nullptr ? caption : "", style);
    }
    return ::MessageBoxA(owner, text, caption, style);
}

void SetMessageBoxHook(MessageBoxHook hook) {
    std::lock_guard lock(HookMutex());
    Hook() = std::move(hook);
}

} // namespace fw
