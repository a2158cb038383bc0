// Where the caption animation of hiding and restoring ends: the notification area's rectangle, or a guess at it.
#pragma once

#include <optional>
#include <string_view>

namespace widgets {

// A screen rectangle, edges as the platform's RECT has them.
struct TrayRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const TrayRect&, const TrayRect&) = default;
};

enum class ProbeResult { Continue, Stop };

// One child window of the taskbar, seen during the enumeration that narrows `area` down to the notification
// area: the notification window takes its rectangle, the clock then cuts the clock's part away and ends the walk.
ProbeResult ProbeTrayChildRect(std::string_view className, const TrayRect& child, TrayRect& area);

// The guess made from the taskbar's position when the taskbar window can't be found: a corner of the bar at
// its far end. `edge` is the bar's screen edge (0 left, 1 top, 2 right, 3 bottom); another value gives nothing.
std::optional<TrayRect> TrayAreaFromAppBar(unsigned edge, const TrayRect& bar);

// The last guess, from the work area alone: its bottom-right corner, 150 by 30 pixels.
TrayRect TrayAreaFromWorkArea(const TrayRect& workArea);

} // namespace widgets
