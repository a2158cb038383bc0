// Rectangle rules for the end of the tray animation.
#include "widgets/tray_geometry.h"

namespace widgets {

ProbeResult ProbeTrayChildRect(std::string_view className, const TrayRect& child, TrayRect& area) {
    if (className == "TrayNotifyWnd") {
        area = child;
        return ProbeResult::Continue;
    }
    if (className == "TrayClockWClass") {
        // A clock above the icons (a vertical bar) leaves the part below it; a clock beside them the part left of it.
        if (child.bottom < area.bottom - 5) {
            area.top = child.bottom;
        } else {
            area.right = child.left;
        }
        return ProbeResult::Stop;
    }
    return ProbeResult::Continue;
}

std::optional<TrayRect> TrayAreaFromAppBar(unsigned edge, const TrayRect& bar) {
    switch (edge) {
    case 0: // left
    case 2: // right
        return TrayRect{bar.left, bar.bottom - 100, bar.right, bar.bottom - 16};
    case 1: // top
    case 3: // bottom
        return TrayRect{bar.right - 100, bar.top, bar.right - 16, bar.bottom};
    default:
        return std::nullopt;
    }
}

TrayRect TrayAreaFromWorkArea(const TrayRect& workArea) {
    TrayRect area = workArea;
    area.left = area.right - 150;
    area.top = area.bottom - 30;
    return area;
}

} // namespace widgets
