// Whether a control shows its whole text: the text measured with the control's font as the control draws
// it (static texts wrap unless they may not, buttons keep inside their edge and focus rectangle, a group
// box's caption stays on one line on its frame) against the room the control has.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// Empty when `text` fits into `control`, else what it needs and what it has. `font` is the font to measure
// with; null takes the control's own, which only a window of this process can give.
[[nodiscard]] std::string TextCut(HWND control, const std::string& text, HFONT font = nullptr);

} // namespace testsupport
