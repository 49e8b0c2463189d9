#pragma once

namespace corvalis::ui {

// A control's place in its parent's client area, in pixels at 96 DPI.
struct TBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    int Right() const { return Left + Width; }
    int Bottom() const { return Top + Height; }
    friend bool operator==(const TBounds&, const TBounds&) = default;
};

} // namespace corvalis::ui
