// The whole-second clocks of the statistics box: time since start-up and accumulated acceleration time.
#pragma once

#include <cstdint>
#include <string>

namespace net {

// Hours, minutes and seconds as the window keeps them. Hours never wrap.
struct ElapsedClock {
    int32_t hours = 0;
    int32_t minutes = 0;
    int32_t seconds = 0;
};

// Advances the clock by one second: 60 seconds carry into a minute, 60 minutes into an hour.
void TickElapsedClock(ElapsedClock& clock);

// " %2d hrs : %2d mins : %2d secs" filled with hours, minutes and seconds.
std::string FormatElapsedClock(const ElapsedClock& clock);

} // namespace net
