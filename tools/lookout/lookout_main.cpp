// BrisklaneLookout: prints what the Brisklane window shows, once a second, and saves a screenshot of it.
// Used by scripts/run.sh when the program runs on a virtual display nobody can look at.
//
//   BrisklaneLookout.exe [screenshot.bmp [name to print for it]]
#include "lookout.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const std::string screenshot = argc > 1 ? argv[1] : "";
    const std::string shownName = argc > 2 ? argv[2] : screenshot;
    for (unsigned tick = 0;; ++tick) {
        std::vector<HWND> windows = lookout::TopLevelWindows(0, "#32770", "Brisklane");
        std::printf("---- %u s: %zu Brisklane window(s)\n", tick, windows.size());
        for (HWND window : windows) {
            RECT rect{};
            GetWindowRect(window, &rect);
            std::printf("window %p at %ld,%ld size %ldx%ld, %s\n", static_cast<void*>(window), rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top,
                        IsWindowVisible(window) ? "visible" : "hidden (in the tray)");
            std::fputs(lookout::DescribeDialog(window).c_str(), stdout);
            if (!screenshot.empty() && IsWindowVisible(window) && lookout::SaveWindowScreenshot(window, screenshot)) {
                std::printf("screenshot saved: %s\n", shownName.c_str());
            }
        }
        std::fflush(stdout);
        Sleep(1000);
    }
}
