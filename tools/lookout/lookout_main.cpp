// BrisklaneLookout: prints what the Brisklane window (or another of the given caption) shows, once a second,
// and saves a screenshot of it. Used by scripts/run.sh when the program runs on a virtual display nobody can
// look at, and for the pictures of the README.
//
//   BrisklaneLookout.exe [screenshot.bmp [name to print for it [caption of the window]]]
#include "lookout.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const std::string screenshot = argc > 1 ? argv[1] : "";
    const std::string shownName = argc > 2 ? argv[2] : screenshot;
    // The main dialog by default; a window of any class when a caption is given.
    const std::string caption = argc > 3 ? argv[3] : "Brisklane";
    const std::string className = argc > 3 ? "" : "#32770";
    for (unsigned tick = 0;; ++tick) {
        std::vector<HWND> windows = lookout::TopLevelWindows(0, className, caption);
        std::printf("---- %u s: %zu %s window(s)\n", tick, windows.size(), caption.c_str());
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
