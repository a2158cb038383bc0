// How the leak and soak tests judge the process's figures over a run: within the allowance a figure held,
// beyond it it grew, and a figure the platform could not count at either end was not measured.
#include <gtest/gtest.h>

#include "process_figures.h"

namespace {

using testsupport::Outcome;
using testsupport::ProcessFigures;

ProcessFigures Counted(unsigned long threads, unsigned long handles, unsigned long gdi, unsigned long user,
                       double megabytes) {
    ProcessFigures figures;
    figures.threads = threads;
    figures.handles = handles;
    figures.gdiObjects = gdi;
    figures.userObjects = user;
    figures.privateBytes = static_cast<std::size_t>(megabytes * 1048576.0);
    figures.threadsSource = "thread snapshot";
    figures.handlesSource = "system handle table";
    figures.gdiSource = "GDI handle table";
    figures.userSource = "windows only";
    figures.memorySource = "PagefileUsage";
    return figures;
}

TEST(ProcessFigures, EachFigureHeldGrewOrWasNotMeasured) {
    const testsupport::GrowthAllowance allowed = {0, 8, 8, 0, 4.0};
    const ProcessFigures before = Counted(10, 100, 30, 5, 20.0);
    ProcessFigures noGdi = Counted(10, 100, 0, 5, 20.0);
    noGdi.gdiSource = testsupport::kNotCounted;
    ProcessFigures noSource = Counted(10, 100, 30, 5, 20.0);
    noSource.memorySource = "";
    const struct {
        const char* what;
        ProcessFigures before, after;
        Outcome threads, handles, gdi, user, memory;
    } cases[] = {
        {"the same", before, before, Outcome::Held, Outcome::Held, Outcome::Held, Outcome::Held, Outcome::Held},
        {"fewer", before, Counted(9, 90, 20, 4, 10.0), Outcome::Held, Outcome::Held, Outcome::Held, Outcome::Held,
         Outcome::Held},
        {"up to the allowance", before, Counted(10, 108, 38, 5, 24.0), Outcome::Held, Outcome::Held, Outcome::Held,
         Outcome::Held, Outcome::Held},
        {"one beyond it", before, Counted(11, 109, 39, 6, 24.1), Outcome::Grew, Outcome::Grew, Outcome::Grew,
         Outcome::Grew, Outcome::Grew},
        // Zero before and after is no proof of anything when the platform had no count to give.
        {"not counted after", before, noGdi, Outcome::Held, Outcome::Held, Outcome::NotMeasured, Outcome::Held,
         Outcome::Held},
        {"not counted before", noGdi, before, Outcome::Held, Outcome::Held, Outcome::NotMeasured, Outcome::Held,
         Outcome::Held},
        {"not counted at either end", noGdi, noGdi, Outcome::Held, Outcome::Held, Outcome::NotMeasured, Outcome::Held,
         Outcome::Held},
        {"no source at all", noSource, noSource, Outcome::Held, Outcome::Held, Outcome::Held, Outcome::Held,
         Outcome::NotMeasured},
        {"nothing filled in", ProcessFigures{}, ProcessFigures{}, Outcome::NotMeasured, Outcome::NotMeasured,
         Outcome::NotMeasured, Outcome::NotMeasured, Outcome::NotMeasured},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto outcomes = testsupport::CompareFigures(c.before, c.after, allowed);
        ASSERT_EQ(outcomes.size(), 5u);
        const Outcome expected[] = {c.threads, c.handles, c.gdi, c.user, c.memory};
        for (size_t i = 0; i < outcomes.size(); ++i) {
            EXPECT_EQ(outcomes[i].outcome, expected[i]) << outcomes[i].text;
            const bool saysHeld = outcomes[i].text.find("held") != std::string::npos;
            EXPECT_EQ(saysHeld, expected[i] == Outcome::Held) << outcomes[i].text;
            EXPECT_EQ(outcomes[i].text.find("not measured") != std::string::npos, expected[i] == Outcome::NotMeasured)
                << outcomes[i].text;
        }
    }
}

TEST(ProcessFigures, TheLinesSayTheFiguresAndWhyOneWasNotMeasured) {
    ProcessFigures after = Counted(12, 80, 0, 7, 21.5);
    after.gdiSource = testsupport::kNotCounted;
    const auto outcomes = testsupport::CompareFigures(Counted(12, 78, 31, 7, 20.0), after, {0, 8, 8, 0, 4.0});
    EXPECT_EQ(outcomes[0].text, "threads: held (12 -> 12, +0 allowed)");
    EXPECT_EQ(outcomes[1].text, "handles: held (78 -> 80, +8 allowed)");
    EXPECT_EQ(outcomes[2].text, "GDI objects: not measured (not counted)");
    EXPECT_EQ(outcomes[4].text, "private memory: held (20.0 -> 21.5 MB, +4.0 MB allowed)");
}

} // namespace
