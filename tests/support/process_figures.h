// What this process holds now: threads, kernel handles, GDI and USER objects and private memory, each
// measured in a way that Wine answers too, and saying how it was measured. For leak and soak tests: how each
// figure fared over a run, where a figure the platform could not count is "not measured", never "held".
// (The comparison is plain C++, so the native tests check it too.)
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace testsupport {

// The source of a figure that the platform gave no way to count: its value is 0 and says nothing.
inline constexpr const char* kNotCounted = "not counted";

struct ProcessFigures {
    unsigned long threads = 0;
    unsigned long handles = 0;
    unsigned long gdiObjects = 0;
    unsigned long userObjects = 0;
    std::size_t privateBytes = 0;
    // How each was measured, e.g. "GetGuiResources" or "GDI handle table", or kNotCounted; shown with them.
    const char* threadsSource = kNotCounted;
    const char* handlesSource = kNotCounted;
    const char* gdiSource = kNotCounted;
    const char* userSource = kNotCounted;
    const char* memorySource = kNotCounted;
};

ProcessFigures FiguresOfThisProcess();

// One line: "threads 12 (thread snapshot), handles 80 (system handle table), GDI objects 31 (GDI handle
// table), ...".
std::string Describe(const ProcessFigures& figures);

// Growth allowed over a run.
struct GrowthAllowance {
    unsigned long threads = 0;
    unsigned long handles = 0;
    unsigned long gdiObjects = 0;
    unsigned long userObjects = 0;
    double privateMegabytes = 0;
};

enum class Outcome { Held, Grew, NotMeasured };

struct FigureOutcome {
    const char* name;
    Outcome outcome;
    std::string text; // "threads: held (12 -> 12, +0 allowed)", "GDI objects: not measured (not counted)"
};

[[nodiscard]] inline bool Counted(const char* source) {
    return source != nullptr && *source != '\0' && std::string(source) != kNotCounted;
}

// How each figure fared from `before` to `after`: held within its allowance, grew beyond it, or not
// measured when it was not counted at either end.
[[nodiscard]] inline std::vector<FigureOutcome>
CompareFigures(const ProcessFigures& before, const ProcessFigures& after, const GrowthAllowance& allowed) {
    struct Row {
        const char* name;
        double before, after, allowance;
        const char *sourceBefore, *sourceAfter;
        const char* format;
    };
    constexpr double kMegabyte = 1048576.0;
    const Row rows[] = {
        {"threads", double(before.threads), double(after.threads), double(allowed.threads), before.threadsSource,
         after.threadsSource, "%.0f -> %.0f, +%.0f allowed"},
        {"handles", double(before.handles), double(after.handles), double(allowed.handles), before.handlesSource,
         after.handlesSource, "%.0f -> %.0f, +%.0f allowed"},
        {"GDI objects", double(before.gdiObjects), double(after.gdiObjects), double(allowed.gdiObjects),
         before.gdiSource, after.gdiSource, "%.0f -> %.0f, +%.0f allowed"},
        {"USER objects", double(before.userObjects), double(after.userObjects), double(allowed.userObjects),
         before.userSource, after.userSource, "%.0f -> %.0f, +%.0f allowed"},
        {"private memory", double(before.privateBytes) / kMegabyte, double(after.privateBytes) / kMegabyte,
         allowed.privateMegabytes, before.memorySource, after.memorySource, "%.1f -> %.1f MB, +%.1f MB allowed"},
    };
    std::vector<FigureOutcome> outcomes;
    for (const Row& row : rows) {
        char text[160];
        if (!Counted(row.sourceBefore) || !Counted(row.sourceAfter)) {
            std::snprintf(text, sizeof text, "%s: not measured (%s)", row.name,
                          Counted(row.sourceBefore) ? row.sourceAfter : row.sourceBefore);
            outcomes.push_back({row.name, Outcome::NotMeasured, text});
            continue;
        }
        const bool held = row.after <= row.before + row.allowance;
        const int used = std::snprintf(text, sizeof text, "%s: %s (", row.name, held ? "held" : "GREW");
        std::snprintf(text + used, sizeof text - static_cast<std::size_t>(used), row.format, row.before, row.after,
                      row.allowance);
        outcomes.push_back({row.name, held ? Outcome::Held : Outcome::Grew, std::string(text) + ")"});
    }
    return outcomes;
}

} // namespace testsupport
