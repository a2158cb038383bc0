// Portable rules of the tray icon: animation-end rectangles, the icon cycle's clock and the tip's byte limit.
#include "widgets/icon_cycle.h"
#include "widgets/tip_text.h"
#include "widgets/tray_geometry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using widgets::LocalDateTime;
using widgets::TrayRect;

TEST(TrayArea, NotificationWindowThenClockBesideTheIcons) {
    TrayRect area{0, 994, 1280, 1024}; // the taskbar
    EXPECT_EQ(widgets::ProbeTrayChildRect("Button", {0, 994, 60, 1024}, area), widgets::ProbeResult::Continue);
    EXPECT_EQ(area, (TrayRect{0, 994, 1280, 1024}));
    EXPECT_EQ(widgets::ProbeTrayChildRect("TrayNotifyWnd", {1100, 996, 1278, 1022}, area),
              widgets::ProbeResult::Continue);
    EXPECT_EQ(area, (TrayRect{1100, 996, 1278, 1022}));
    // Clock bottom 1022 is not more than 5 above the area's bottom: the part left of the clock remains.
    EXPECT_EQ(widgets::ProbeTrayChildRect("TrayClockWClass", {1220, 996, 1278, 1022}, area),
              widgets::ProbeResult::Stop);
    EXPECT_EQ(area, (TrayRect{1100, 996, 1220, 1022}));
}

TEST(TrayArea, ClockAboveTheIconsOnAVerticalBar) {
    struct Row {
        int clockBottom;
        TrayRect expected;
    };
    // Area bottom 900: a clock ending at 894 is above (894 < 895); one ending at 895 counts as beside.
    const Row rows[] = {
        {894, {0, 894, 60, 900}},
        {895, {0, 700, 2, 900}},
    };
    for (const Row& row : rows) {
        TrayRect area{0, 700, 60, 900};
        EXPECT_EQ(widgets::ProbeTrayChildRect("TrayClockWClass", {2, 700, 58, row.clockBottom}, area),
                  widgets::ProbeResult::Stop);
        EXPECT_EQ(area, row.expected);
    }
}

TEST(TrayArea, ClassNamesMatchExactly) {
    TrayRect area{1, 2, 3, 4};
    for (const char* name : {"traynotifywnd", "TrayNotifyWnd ", "TrayClock", ""}) {
        EXPECT_EQ(widgets::ProbeTrayChildRect(name, {9, 9, 9, 9}, area), widgets::ProbeResult::Continue);
    }
    EXPECT_EQ(area, (TrayRect{1, 2, 3, 4}));
}

TEST(TrayArea, GuessFromTheBarEdge) {
    const TrayRect vertical{0, 0, 60, 1024};
    const TrayRect horizontal{0, 994, 1280, 1024};
    struct Row {
        unsigned edge;
        TrayRect bar;
        TrayRect expected;
    };
    const Row rows[] = {
        {0, vertical, {0, 924, 60, 1008}},
        {2, {1220, 0, 1280, 1024}, {1220, 924, 1280, 1008}},
        {1, {0, 0, 1280, 30}, {1180, 0, 1264, 30}},
        {3, horizontal, {1180, 994, 1264, 1024}},
    };
    for (const Row& row : rows) {
        const auto area = widgets::TrayAreaFromAppBar(row.edge, row.bar);
        ASSERT_TRUE(area.has_value());
        EXPECT_EQ(*area, row.expected) << "edge " << row.edge;
    }
    // Left or right bar: 84 pixels high, bottom 16 above the bar's bottom.
    const auto side = widgets::TrayAreaFromAppBar(0, vertical);
    EXPECT_EQ(side->bottom - side->top, 84);
    EXPECT_EQ(vertical.bottom - side->bottom, 16);
    EXPECT_FALSE(widgets::TrayAreaFromAppBar(4, horizontal).has_value());
}

TEST(TrayArea, GuessFromTheWorkArea) {
    EXPECT_EQ(widgets::TrayAreaFromWorkArea({0, 0, 1280, 994}), (TrayRect{1130, 964, 1280, 994}));
    EXPECT_EQ(widgets::TrayAreaFromWorkArea({-1280, 30, 0, 1024}), (TrayRect{-150, 994, 0, 1024}));
}

TEST(IconCycle, DayNumberCountsFromTheLastDaysOf1899) {
    EXPECT_DOUBLE_EQ(widgets::DayNumber({1899, 12, 30, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(widgets::DayNumber({1900, 1, 1, 12, 0, 0}), 2.5);
    EXPECT_DOUBLE_EQ(widgets::DayNumber({2000, 1, 1, 0, 0, 0}), 36526.0);
}

TEST(IconCycle, ElapsedSecondsAcrossCalendarBoundaries) {
    struct Row {
        LocalDateTime start;
        LocalDateTime now;
        int64_t expected;
    };
    const Row rows[] = {
        {{2024, 5, 17, 10, 0, 0}, {2024, 5, 17, 10, 0, 0}, 0},
        {{2024, 5, 17, 10, 0, 0}, {2024, 5, 17, 10, 0, 1}, 1},
        {{2024, 12, 31, 23, 59, 59}, {2025, 1, 1, 0, 0, 1}, 2},
        {{2024, 2, 28, 23, 0, 0}, {2024, 3, 1, 1, 0, 0}, 86400 + 7200}, // over a leap day
        {{2023, 2, 28, 12, 0, 0}, {2023, 3, 1, 12, 0, 0}, 86400},
        {{2100, 2, 28, 0, 0, 0}, {2100, 3, 1, 0, 0, 0}, 86400},
        {{2024, 5, 17, 10, 0, 5}, {2024, 5, 17, 10, 0, 0}, -5},
        {{2024, 5, 17, 0, 0, 0}, {2024, 5, 18, 23, 59, 59}, 86400 + 86399},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(widgets::ElapsedCycleSeconds(row.start, row.now), row.expected)
            << row.now.year << '-' << row.now.month << '-' << row.now.day;
    }
}

TEST(IconCycle, ExactOverManySeconds) {
    // Seconds differences far from the epoch come out exact despite the day-fraction arithmetic.
    const LocalDateTime start{2031, 7, 4, 0, 0, 0};
    for (int s = 0; s < 86400; s += 37) {
        const LocalDateTime now{2031, 7, 4, s / 3600, s / 60 % 60, s % 60};
        ASSERT_EQ(widgets::ElapsedCycleSeconds(start, now), s);
    }
}

TEST(IconCycle, StopsOnlyAfterMoreThanTheDuration) {
    struct Row {
        int64_t elapsed;
        unsigned duration;
        bool expired;
    };
    const Row rows[] = {
        {0, 0, false}, {1000000, 0, false}, {5, 5, false},
        {6, 5, true},  {-3, 5, false},      {4294967296LL, 4294967295u, true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(widgets::CycleExpired(row.elapsed, row.duration), row.expired) << row.elapsed << '/' << row.duration;
    }
}

TEST(IconCycle, PositionWraps) {
    EXPECT_EQ(widgets::NextCyclePosition(0, 1), 0u); // one icon cycles onto itself
    EXPECT_EQ(widgets::NextCyclePosition(0, 3), 1u);
    EXPECT_EQ(widgets::NextCyclePosition(2, 3), 0u);
    EXPECT_EQ(widgets::NextCyclePosition(7, 3), 0u); // a sequence shortened under the cycle
}

bool ShiftJisLead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

TEST(TipText, CutsToTheFieldAndAlwaysEndsInZero) {
    struct Row {
        std::string text;
        widgets::LeadBytePredicate lead;
        size_t expected;
    };
    const std::string kanji = "\x93\xfa"; // one double-byte character
    const Row rows[] = {
        {"", nullptr, 0},
        {"Brisklane", nullptr, 9},
        {std::string(127, 'a'), nullptr, 127},
        {std::string(128, 'a'), nullptr, 127},
        {std::string(400, 'a'), nullptr, 127},
        {std::string(126, 'a') + kanji, ShiftJisLead, 126}, // trail byte would be byte 128
        {std::string(125, 'a') + kanji, ShiftJisLead, 127}, // fits exactly
        {std::string(126, 'a') + kanji, nullptr, 127},      // single-byte code page: plain cut
        {"ab\x93", ShiftJisLead, 2},                        // lead byte without its trail byte
        {kanji + kanji + "x", ShiftJisLead, 5},
    };
    for (const Row& row : rows) {
        char field[128];
        std::memset(field, 'Z', sizeof field);
        EXPECT_EQ(widgets::CopyTipText(field, sizeof field, row.text.c_str(), row.lead), row.expected);
        EXPECT_EQ(std::string(field), row.text.substr(0, row.expected));
        for (size_t i = row.expected; i < sizeof field; ++i) {
            ASSERT_EQ(field[i], '\0') << "byte " << i;
        }
    }
}

TEST(TipText, NullTextEmptiesTheField) {
    char field[128];
    std::memset(field, 'Z', sizeof field);
    EXPECT_EQ(widgets::CopyTipText(field, sizeof field, nullptr, ShiftJisLead), 0u);
    EXPECT_EQ(field[0], '\0');
    EXPECT_EQ(field[127], '\0');
}

} // namespace
