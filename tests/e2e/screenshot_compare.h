// Compares a window's screenshot with a reference picture, ignoring the rectangles whose contents change
// from run to run (clocks, counters, the machine's interface names).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bgr; // rows top to bottom, 3 bytes a pixel, no padding
};

bool LoadBmp(const std::string& path, Picture& picture);

struct PictureDifference {
    bool sameSize = false;
    long comparedPixels = 0;
    long differentPixels = 0;
};

// A pixel differs when any colour channel differs by more than the tolerance.
PictureDifference ComparePictures(const Picture& actual, const Picture& reference, const std::vector<RECT>& ignored,
                                  int channelTolerance);

} // namespace e2e
