// Clock arithmetic of the tray icon's cycle.
#include "widgets/icon_cycle.h"

#include <cmath>

namespace widgets {

namespace {

// Days from 1 January 1970 to the given civil date (proleptic Gregorian calendar).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

constexpr int64_t kDaysFrom1899To1970 = 25569;

} // namespace

double DayNumber(const LocalDateTime& when) {
    const int64_t days = DaysFromCivil(when.year, when.month, when.day) + kDaysFrom1899To1970;
    const double seconds = when.hour * 3600.0 + when.minute * 60.0 + when.second;
    return static_cast<double>(days) + seconds / 86400.0;
}

int64_t ElapsedCycleSeconds(const LocalDateTime& start, const LocalDateTime& now) {
    return std::llround((DayNumber(now) - DayNumber(start)) * 86400.0);
}

bool CycleExpired(int64_t elapsedSeconds, unsigned durationSeconds) {
    return durationSeconds != 0 && elapsedSeconds > static_cast<int64_t>(durationSeconds);
}

size_t NextCyclePosition(size_t position, size_t count) {
    ++position;
    return position >= count ? 0 : position;
}

} // namespace widgets
