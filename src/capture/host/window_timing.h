// The window host timed: how long after the start of capture its list showed every flow of the data.
#pragma once

#include "capture/host/capture_window.h"

namespace capture_host {

// Starts capturing in the window (on the adapter in its adapter box) and serves its messages until the
// adapter's data have ended and the list and the status line show all of it; then prints on standard error
// "capture: the list showed the last of N flows X s after the start", then "capture: the traffic graph took
// Y s of it to draw" (0 while it is hidden), and closes the window. Message boxes
// become lines on standard error. Exit code: 0 done; 1 capture could not start, the window was closed
// first, or the list did not show what the table holds (said on standard error).
int TimeWindowCapture(CCaptureWindow& window);

} // namespace capture_host
