#pragma once

#include "ui/Window.h"

namespace corvalis::ui {

// A child window taller inside than out: a vertical scroll bar moves the controls it holds,
// which the window's own handlers hear from.
class TScrollBox : public TWindow {
public:
    TScrollBox(HWND parent, const TBounds& bounds);
    // The height of the content; the bar shows only when it does not fit.
    void SetVerticalRange(int height);
    // The width left for the content beside the scroll bar.
    int ClientWidth() const;

protected:
    std::optional<LRESULT> HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ScrollTo(int position);

    int range_ = 0;
    int position_ = 0;
};

} // namespace corvalis::ui
