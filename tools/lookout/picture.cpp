// Pictures of what windows show: grabbed or printed, saved and loaded as 24-bit BMP files, and compared.
#include "picture.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "platform/handles.h"

namespace lookout {

namespace {

size_t Stride(int width) {
    return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
}

// The pixels of a memory device context's bitmap (not selected into it) as a picture.
Picture ReadBitmap(HDC memory, HGDIOBJ bitmap, int width, int height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = -height; // top-down rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    std::vector<unsigned char> rows(Stride(width) * static_cast<size_t>(height));
    Picture picture;
    if (GetDIBits(memory, static_cast<HBITMAP>(bitmap), 0, static_cast<UINT>(height), rows.data(),
                  reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) != height) {
        return picture;
    }
    picture.width = width;
    picture.height = height;
    picture.bgr.resize(static_cast<size_t>(width) * 3 * static_cast<size_t>(height));
    for (int row = 0; row < height; ++row) {
        std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>(Stride(width) * static_cast<size_t>(row)), width * 3,
                    picture.bgr.begin() + static_cast<std::ptrdiff_t>(row) * width * 3);
    }
    return picture;
}

// Copies `width` x `height` pixels at (x, y) of a device context into a picture.
Picture Grab(HDC source, int x, int y, int width, int height) {
    if (source == nullptr || width <= 0 || height <= 0) {
        return {};
    }
    const platform::MemoryDc memory(CreateCompatibleDC(source));
    const platform::GdiObject bitmap(CreateCompatibleBitmap(source, width, height));
    const HGDIOBJ previous = SelectObject(memory.Get(), bitmap.Get());
    (void)BitBlt(memory.Get(), 0, 0, width, height, source, x, y, SRCCOPY);
    (void)SelectObject(memory.Get(), previous);
    return ReadBitmap(memory.Get(), bitmap.Get(), width, height);
}

} // namespace

COLORREF Picture::At(int x, int y) const {
    const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return RGB(bgr[at + 2], bgr[at + 1], bgr[at]);
}

Picture GrabScreen(const RECT& area) {
    const platform::WindowDc screen(nullptr);
    return Grab(screen.Get(), area.left, area.top, area.right - area.left, area.bottom - area.top);
}

Picture GrabWindow(HWND window) {
    RECT area{};
    return GetWindowRect(window, &area) ? GrabScreen(area) : Picture{};
}

Picture GrabClient(HWND window) {
    RECT client{};
    if (!GetClientRect(window, &client)) {
        return {};
    }
    const platform::WindowDc dc(window);
    return Grab(dc.Get(), 0, 0, client.right, client.bottom);
}

Picture PrintClient(HWND window, COLORREF background) {
    RECT client{};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) {
        return {};
    }
    const platform::WindowDc screen(nullptr);
    const platform::MemoryDc memory(CreateCompatibleDC(screen.Get()));
    const platform::GdiObject bitmap(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
    const HGDIOBJ previous = SelectObject(memory.Get(), bitmap.Get());
    const platform::GdiObject fill(CreateSolidBrush(background));
    (void)FillRect(memory.Get(), &client, static_cast<HBRUSH>(fill.Get()));
    (void)SendMessageA(window, WM_PRINT, reinterpret_cast<WPARAM>(memory.Get()),
                       PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    (void)SelectObject(memory.Get(), previous);
    return ReadBitmap(memory.Get(), bitmap.Get(), client.right, client.bottom);
}

bool SaveBmp(const Picture& picture, const std::string& path) {
    if (picture.width <= 0 || picture.height <= 0) {
        return false;
    }
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = picture.width;
    header.biHeight = -picture.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const size_t stride = Stride(picture.width);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * static_cast<size_t>(picture.height));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    const std::vector<char> padding(stride - static_cast<size_t>(picture.width) * 3, '\0');
    for (int row = 0; row < picture.height; ++row) {
        out.write(reinterpret_cast<const char*>(picture.bgr.data()) +
                      static_cast<std::ptrdiff_t>(row) * picture.width * 3,
                  picture.width * 3);
        out.write(padding.data(), static_cast<std::streamsize>(padding.size()));
    }
    return static_cast<bool>(out);
}

bool LoadBmp(const std::string& path, Picture& picture) {
    std::ifstream in(path, std::ios::binary);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    if (!in.read(reinterpret_cast<char*>(&file), sizeof file) ||
        !in.read(reinterpret_cast<char*>(&info), sizeof info)) {
        return false;
    }
    if (file.bfType != 0x4D42 || info.biBitCount != 24 || info.biCompression != BI_RGB || info.biWidth <= 0 ||
        info.biHeight == 0 || info.biWidth > 8192 || std::abs(info.biHeight) > 8192) {
        return false;
    }
    picture.width = info.biWidth;
    picture.height = std::abs(info.biHeight);
    const bool bottomUp = info.biHeight > 0;
    const size_t stride = Stride(picture.width);
    std::vector<unsigned char> rows(stride * static_cast<size_t>(picture.height));
    in.seekg(file.bfOffBits);
    if (!in.read(reinterpret_cast<char*>(rows.data()), static_cast<std::streamsize>(rows.size()))) {
        return false;
    }
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
    if (!result.sameSize) {
        return result;
    }
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            const POINT point{x, y};
            if (std::any_of(ignored.begin(), ignored.end(), [&](const RECT& r) { return PtInRect(&r, point); })) {
                continue;
            }
            ++result.comparedPixels;
            const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(actual.width) + static_cast<size_t>(x)) * 3;
            for (size_t c = 0; c < 3; ++c) {
                if (std::abs(actual.bgr[at + c] - reference.bgr[at + c]) > channelTolerance) {
                    ++result.differentPixels;
                    break;
                }
            }
        }
    }
    return result;
}

} // namespace lookout
