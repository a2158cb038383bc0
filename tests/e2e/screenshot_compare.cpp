// Compares a window's screenshot with a reference picture, ignoring rectangles that change from run to run.
#include "screenshot_compare.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace e2e {

bool LoadBmp(const std::string& path, Picture& picture) {
    std::ifstream in(path, std::ios::binary);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    if (!in.read(reinterpret_cast<char*>(&file), sizeof file) || !in.read(reinterpret_cast<char*>(&info), sizeof info))
        return false;
    if (file.bfType != 0x4D42 || info.biBitCount != 24 || info.biCompression != BI_RGB || info.biWidth <= 0 ||
        info.biHeight == 0 || info.biWidth > 8192 || std::abs(info.biHeight) > 8192)
        return false;
    picture.width = info.biWidth;
    picture.height = std::abs(info.biHeight);
    const bool bottomUp = info.biHeight > 0;
    const size_t stride = (static_cast<size_t>(picture.width) * 3 + 3) & ~static_cast<size_t>(3);
    std::vector<unsigned char> rows(stride * static_cast<size_t>(picture.height));
    in.seekg(file.bfOffBits);
    if (!in.read(reinterpret_cast<char*>(rows.data()), static_cast<std::streamsize>(rows.size())))
        return false;
    picture.bgr.resize(static_cast<size_t>(picture.width) * 3 * static_cast<size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        const int source = bottomUp ? picture.height - 1 - y : y;
        std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>(stride * static_cast<size_t>(source)), picture.width * 3,
                    picture.bgr.begin() + static_cast<std::ptrdiff_t>(y) * picture.width * 3);
    }
    return true;
}

PictureDifference ComparePictures(const Picture& actual, const Picture& reference, const std::vector<RECT>& ignored,
                                  int channelTolerance) {
    PictureDifference result;
    result.sameSize = actual.width == reference.width && actual.height == reference.height;
    if (!result.sameSize)
        return result;
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x) {
            bool skip = false;
            for (const RECT& r : ignored)
                if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
                    skip = true;
                    break;
                }
            if (skip)
                continue;
            ++result.comparedPixels;
            const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(actual.width) + static_cast<size_t>(x)) * 3;
            for (int c = 0; c < 3; ++c)
                if (std::abs(actual.bgr[at + c] - reference.bgr[at + c]) > channelTolerance) {
                    ++result.differentPixels;
                    break;
                }
        }
    return result;
}

} // namespace e2e
