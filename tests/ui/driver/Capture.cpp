#include "driver/Capture.h"

#include <fstream>

namespace corvalis::uidriver {
namespace {

TImage CaptureScreenRect(const RECT& area)
{
    TImage image;
    image.Width = area.right - area.left;
    image.Height = area.bottom - area.top;
    const win32::ScopedWindowDC screen(nullptr);
    const win32::ScopedMemoryDC memory(::CreateCompatibleDC(screen.Get()));
    const win32::ScopedBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), image.Width, image.Height));
    {
        const win32::ScopedSelection selected(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, image.Width, image.Height, screen.Get(), area.left, area.top, SRCCOPY);
    }

    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = image.Width;
    format.bmiHeader.biHeight = -image.Height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> bits(static_cast<size_t>(image.Width) * image.Height);
    ::GetDIBits(memory.Get(), bitmap.Get(), 0, static_cast<UINT>(image.Height), bits.data(), &format, DIB_RGB_COLORS);

    image.Pixels.reserve(bits.size());
    for (const uint32_t bgr : bits)
        image.Pixels.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
    return image;
}

template <typename Value> void Put(std::ofstream& file, Value value)
{
    file.write(reinterpret_cast<const char*>(&value), sizeof value);
}

} // namespace

TImage CaptureWindow(HWND window, Timeout timeout)
{
    RECT area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (window) {
        ::GetWindowRect(window, &area);
        ::RedrawWindow(window, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    // What a window painted reaches the screen a moment later: two captures a slice apart
    // that agree tell that it has.
    TImage previous = CaptureScreenRect(area);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        Pump(Timeout(50));
        TImage current = CaptureScreenRect(area);
        if (current == previous)
            return current;
        if (std::chrono::steady_clock::now() > deadline)
            throw DriverError("timed out waiting for the screen to settle");
        previous = std::move(current);
    }
}

void SaveBitmap(const TImage& image, const std::string& path)
{
    const uint32_t rowSize = (static_cast<uint32_t>(image.Width) * 3 + 3) & ~3u;
    const uint32_t dataSize = rowSize * static_cast<uint32_t>(image.Height);
    std::ofstream file(path, std::ios::binary);
    Put<uint16_t>(file, 0x4D42); // "BM"
    Put<uint32_t>(file, 54 + dataSize);
    Put<uint32_t>(file, 0);
    Put<uint32_t>(file, 54);
    Put<uint32_t>(file, 40);
    Put<int32_t>(file, image.Width);
    Put<int32_t>(file, image.Height); // bottom row first
    Put<uint16_t>(file, 1);
    Put<uint16_t>(file, 24);
    Put<uint32_t>(file, BI_RGB);
    Put<uint32_t>(file, dataSize);
    Put<int32_t>(file, 3780); // 96 DPI in pixels per metre
    Put<int32_t>(file, 3780);
    Put<uint32_t>(file, 0);
    Put<uint32_t>(file, 0);
    std::vector<char> row(rowSize, 0);
    for (int y = image.Height - 1; y >= 0; --y) {
        for (int x = 0; x < image.Width; ++x) {
            const COLORREF pixel = image.Pixel(x, y);
            row[static_cast<size_t>(x) * 3] = static_cast<char>(GetBValue(pixel));
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>(GetGValue(pixel));
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>(GetRValue(pixel));
        }
        file.write(row.data(), rowSize);
    }
    if (!file)
        throw DriverError("cannot write " + path);
}

} // namespace corvalis::uidriver
