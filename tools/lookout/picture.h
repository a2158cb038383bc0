// Pictures of what windows show: grabbed from the screen or from a window's own surface, or printed by the
// window itself; saved and loaded as 24-bit BMP files, and compared with a tolerance.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lookout {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bgr; // rows top to bottom, 3 bytes a pixel, no padding

    [[nodiscard]] COLORREF At(int x, int y) const;
    bool operator==(const Picture&) const = default;
};

// The screen's pixels in a rectangle of screen coordinates: what a person sees there, other windows included.
[[nodiscard]] Picture GrabScreen(const RECT& area);
// The screen's pixels under a window's whole rectangle, frame and caption included.
[[nodiscard]] Picture GrabWindow(HWND window);
// A window's client area as the window's own surface holds it: current even before the screen catches up.
// Only for windows of the calling process.
[[nodiscard]] Picture GrabClient(HWND window);
// A window's client area as the window paints it when asked to print itself (WM_PRINT), children included,
// over the given background colour: also for a window that is not shown. Only for windows of the calling
// process.
[[nodiscard]] Picture PrintClient(HWND window, COLORREF background);

[[nodiscard]] bool SaveBmp(const Picture& picture, const std::string& path);
[[nodiscard]] bool LoadBmp(const std::string& path, Picture& picture);

struct PictureDifference {
    bool sameSize = false;
    long comparedPixels = 0;
    long differentPixels = 0;
};

// A pixel differs when any colour channel differs by more than the tolerance; the ignored rectangles (in
// picture coordinates) are not compared.
[[nodiscard]] PictureDifference ComparePictures(const Picture& actual, const Picture& reference,
                                                const std::vector<RECT>& ignored, int channelTolerance);

} // namespace lookout
