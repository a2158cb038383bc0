// What this process holds now: threads, kernel handles, GDI and USER objects and private memory, each
// measured in a way that Wine answers too, and saying how it was measured. For leak and soak tests.
#pragma once

#include <cstddef>
#include <string>

namespace testsupport {

struct ProcessFigures {
    unsigned long threads = 0;
    unsigned long handles = 0;
    unsigned long gdiObjects = 0;
    unsigned long userObjects = 0;
    std::size_t privateBytes = 0;
    // How the last three were measured, e.g. "GetGuiResources" or "GDI handle table"; shown with them.
    const char* gdiSource = "";
    const char* userSource = "";
    const char* memorySource = "";
};

ProcessFigures FiguresOfThisProcess();

// One line: "threads 12, handles 80, GDI objects 31 (GDI handle table), ...".
std::string Describe(const ProcessFigures& figures);

} // namespace testsupport
