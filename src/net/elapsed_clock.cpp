// The whole-second clocks of the statistics box.
#include "net/elapsed_clock.h"

#include <cstdio>

namespace net {

void TickElapsedClock(ElapsedClock& clock) {
    clock.seconds += 1;
    if (clock.seconds == 60) {
        clock.minutes += 1;
        clock.seconds = 0;
    }
    if (clock.minutes == 60) {
        clock.hours += 1;
        clock.minutes = 0;
    }
}

std::string FormatElapsedClock(const ElapsedClock& clock) {
    char text[64];
    std::snprintf(text, sizeof text, " %2d hrs : %2d mins : %2d secs", clock.hours, clock.minutes, clock.seconds);
    return text;
}

} // namespace net
