// The message loop: the pre-translate walk and the pumps. The application, the modal dialog, the capture
// host and the tests all take messages from the queue through here, so each message is handled the same
// way wherever it is taken.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

namespace fw {

// Offers a queued message to PreTranslateMessage of the objects of its window and of each parent, up to
// and including `top` (every ancestor when null); true when one of them dealt with it.
[[nodiscard]] bool PreTranslate(MSG& msg, HWND top) noexcept;

// Waits for, pre-translates and dispatches the thread's messages while keepGoing() holds. Gives the quit
// code when WM_QUIT ended the loop; nothing when keepGoing() did, or the queue failed.
std::optional<int> RunMessageLoop(HWND top, const std::function<bool()>& keepGoing);

// Handles the messages that wait in the thread's queue now, then returns.
void DispatchWaitingMessages();

// Handles the thread's messages until done() holds or timeoutMs has passed (INFINITE: no limit), waiting
// at most pollMs for a message between looks at done(). True when done() held. A WM_QUIT ends the pump
// and stays in the queue for the loop outside.
[[nodiscard]] bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 10);

// Handles the thread's messages for the given time.
void PumpFor(DWORD ms);

// Waits until the object is signalled, serving meanwhile the messages that other threads send to this
// thread's windows: a worker that sends to one of them would otherwise wait for this thread for ever.
void WaitServingSentMessages(HANDLE object);

} // namespace fw
