// The statistics clocks: carry rules and the exact text the window shows.
#include "net/elapsed_clock.h"

#include <gtest/gtest.h>

namespace {

net::ElapsedClock TickedFromZero(int ticks) {
    net::ElapsedClock clock;
    for (int i = 0; i < ticks; ++i) {
        net::TickElapsedClock(clock);
    }
    return clock;
}

TEST(ElapsedClock, FirstTickShowsOneSecondWithTwoLeadingBlanks) {
    EXPECT_EQ(net::FormatElapsedClock(TickedFromZero(1)), "  0 hrs :  0 mins :  1 secs");
}

TEST(ElapsedClock, SecondsCarryIntoMinutesNeverShowingSixty) {
    EXPECT_EQ(net::FormatElapsedClock(TickedFromZero(59)), "  0 hrs :  0 mins : 59 secs");
    EXPECT_EQ(net::FormatElapsedClock(TickedFromZero(60)), "  0 hrs :  1 mins :  0 secs");
}

TEST(ElapsedClock, MinutesCarryIntoHours) {
    EXPECT_EQ(net::FormatElapsedClock(TickedFromZero(3599)), "  0 hrs : 59 mins : 59 secs");
    EXPECT_EQ(net::FormatElapsedClock(TickedFromZero(3600)), "  1 hrs :  0 mins :  0 secs");
}

TEST(ElapsedClock, HoursWidenPastNinetyNineAndNeverWrap) {
    net::ElapsedClock clock{99, 59, 59};
    net::TickElapsedClock(clock);
    EXPECT_EQ(net::FormatElapsedClock(clock), " 100 hrs :  0 mins :  0 secs");
}

} // namespace
