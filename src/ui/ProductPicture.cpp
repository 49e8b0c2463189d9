#include "ui/ProductPicture.h"

#include "ui/Window.h"

namespace corvalis::ui {
namespace {

constexpr COLORREF kTop = RGB(0, 128, 128);
constexpr COLORREF kBottom = RGB(0, 48, 64);

int Blend(int from, int to, int step, int steps)
{
    return from + (to - from) * step / steps;
}

// Text written upwards, from its start at (x, y).
void DrawUpwards(HDC dc, int x, int y, const wchar_t* text, int points, TFontStyles style)
{
    const win32::ScopedFont upwards = MakeFont("Arial", points, style, 900);
    const win32::ScopedSelection selected(dc, upwards.Get());
    ::TextOutW(dc, x, y, text, ::lstrlenW(text));
}

} // namespace

void PaintProductPicture(HDC dc, const RECT& area)
{
    constexpr int kBands = 64;
    const int height = area.bottom - area.top;
    for (int band = 0; band < kBands; ++band) {
        const RECT strip = {area.left, area.top + height * band / kBands, area.right,
                            area.top + height * (band + 1) / kBands};
        win32::ScopedBrush brush(::CreateSolidBrush(RGB(Blend(GetRValue(kTop), GetRValue(kBottom), band, kBands),
                                                        Blend(GetGValue(kTop), GetGValue(kBottom), band, kBands),
                                                        Blend(GetBValue(kTop), GetBValue(kBottom), band, kBands))));
        ::FillRect(dc, &strip, brush.Get());
    }
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(dc, RGB(255, 255, 255));
    DrawUpwards(dc, area.left + 24, area.bottom - 24, L"Corvalis", 36, fsBold);
    DrawUpwards(dc, area.left + 84, area.bottom - 28, L"VCL Edition", 14, 0);
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
}

} // namespace corvalis::ui
