// Timing rules of the tray icon's cycle through a sequence of icons.
#pragma once

#include <cstddef>
#include <cstdint>

namespace widgets {

// A local date and time to the second, as the system clock reports it.
struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Days since 30 December 1899, the fraction of a day counting the time: the linear date in which the cycle
// measures its running time.
double DayNumber(const LocalDateTime& when);

// Whole seconds from `start` to `now`: the difference in days times 86400, to the nearest second with halves
// away from zero. Negative when the clock went back.
int64_t ElapsedCycleSeconds(const LocalDateTime& start, const LocalDateTime& now);

// A cycle with a duration stops on the first tick after more than `durationSeconds` have passed; a duration of
// 0 never stops by itself.
bool CycleExpired(int64_t elapsedSeconds, unsigned durationSeconds);

// The position shown after `position` in a sequence of `count` icons (count > 0): the next one, wrapping to 0.
size_t NextCyclePosition(size_t position, size_t count);

} // namespace widgets
