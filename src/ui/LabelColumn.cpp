#include "ui/LabelColumn.h"

#include <algorithm>

namespace corvalis::ui {

SIZE TextExtent(HWND control, const std::string& text, int width)
{
    const win32::ScopedWindowDC dc(control);
    const win32::ScopedSelection selected(dc.Get(), reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT bounds = {0, 0, width, 0};
    // As a label draws its text.
    const UINT format = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    const std::wstring wide = win32::Widen(text);
    ::DrawTextW(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &bounds, format);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

HWND TLabelColumn::Label(const std::string& text, int gap, int minHeight, DWORD style)
{
    const HWND label = window_.CreateControl("STATIC", text, style, {left_, top_, width_, minHeight});
    Fit(label, gap, minHeight);
    return label;
}

void TLabelColumn::Fit(HWND label, int gap, int minHeight)
{
    const TBounds bounds = Place(gap, std::max<int>(minHeight, TextExtent(label, WindowText(label), width_).cy));
    ::MoveWindow(label, bounds.Left, bounds.Top, bounds.Width, bounds.Height, FALSE);
}

TBounds TLabelColumn::Place(int gap, int height, int indent)
{
    const TBounds bounds{left_ + indent, top_ + gap, width_ - indent, height};
    top_ = bounds.Bottom();
    return bounds;
}

} // namespace corvalis::ui
