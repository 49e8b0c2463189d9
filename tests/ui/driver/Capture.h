#pragma once

#include "driver/Wait.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvalis::uidriver {

// Pixels as the screen shows them, top row first.
struct TImage {
    int Width = 0;
    int Height = 0;
    std::vector<COLORREF> Pixels;

    COLORREF Pixel(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
    friend bool operator==(const TImage&, const TImage&) = default;
};

// What the screen shows of the window (the whole screen for none), once the window has
// painted: it is repainted, then captured until two captures agree.
TImage CaptureWindow(HWND window, Timeout timeout = kDefaultTimeout);
// A 24-bit .bmp file.
void SaveBitmap(const TImage& image, const std::string& path);

} // namespace corvalis::uidriver
