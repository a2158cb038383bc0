// The pre-translate walk, the blocking loop and the pumps over the thread's message queue.
#include "framework/message_loop.h"

#include "framework/wnd.h"

namespace fw {

namespace {

void Handle(MSG& msg, HWND top) {
    if (!PreTranslate(msg, top)) {
        (void)::TranslateMessage(&msg);
        (void)::DispatchMessageA(&msg);
    }
}

// Handles what waits in the queue; false when a WM_QUIT came, which is put back for the loop outside.
bool HandleWaiting() {
    MSG msg{};
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        Handle(msg, nullptr);
    }
    return true;
}

} // namespace

bool PreTranslate(MSG& msg, HWND top) noexcept {
    try {
        for (HWND hWnd = msg.hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
            CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
            if (wnd != nullptr && wnd->PreTranslateMessage(&msg)) {
                return true;
            }
            if (hWnd == top) {
                break;
            }
        }
    } catch (...) {
        // A failed pre-translation leaves the message to its window.
    }
    return false;
}

std::optional<int> RunMessageLoop(HWND top, const std::function<bool()>& keepGoing) {
    while (keepGoing()) {
        MSG msg{};
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(msg.wParam);
        }
        if (got == -1) {
            break;
        }
        Handle(msg, top);
    }
    return std::nullopt;
}

void DispatchWaitingMessages() {
    (void)HandleWaiting();
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const bool quit = !HandleWaiting();
        if (done()) {
            return true;
        }
        if (quit) {
            return false;
        }
        const DWORD elapsed = ::GetTickCount() - start;
        if (timeoutMs != INFINITE && elapsed >= timeoutMs) {
            return false;
        }
        const DWORD left = timeoutMs == INFINITE ? pollMs : timeoutMs - elapsed;
        (void)::MsgWaitForMultipleObjects(0, nullptr, FALSE, left < pollMs ? left : pollMs, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) {
    (void)PumpUntil([] { return false; }, ms);
}

void WaitServingSentMessages(HANDLE object) {
    while (::MsgWaitForMultipleObjects(1, &object, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        // Peeking delivers the sent messages; nothing is taken from the queue.
        MSG msg;
        (void)::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace fw
