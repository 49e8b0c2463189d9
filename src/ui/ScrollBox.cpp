#include "ui/ScrollBox.h"

#include <algorithm>

namespace corvalis::ui {
namespace {

constexpr int kLineStep = 20;

} // namespace

TScrollBox::TScrollBox(HWND parent, const TBounds& bounds)
{
    Create("CorvalisScrollBox", WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL, "", bounds,
           parent);
    SetVerticalRange(0);
}

int TScrollBox::ClientWidth() const
{
    RECT client;
    ::GetClientRect(Handle(), &client);
    return client.right;
}

void TScrollBox::SetVerticalRange(int height)
{
    range_ = height;
    RECT client;
    ::GetClientRect(Handle(), &client);
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL};
    info.nMax = std::max(height - 1, 0);
    info.nPage = static_cast<UINT>(client.bottom);
    info.nPos = position_;
    ::SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
}

void TScrollBox::ScrollTo(int position)
{
    RECT client;
    ::GetClientRect(Handle(), &client);
    position = std::clamp(position, 0, std::max(range_ - static_cast<int>(client.bottom), 0));
    if (position == position_)
        return;
    ::ScrollWindowEx(Handle(), 0, position_ - position, nullptr, nullptr, nullptr, nullptr,
                     SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    position_ = position;
    ::SetScrollPos(Handle(), SB_VERT, position_, TRUE);
}

std::optional<LRESULT> TScrollBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_VSCROLL) {
        RECT client;
        ::GetClientRect(Handle(), &client);
        SCROLLINFO info = {sizeof info, SIF_TRACKPOS};
        ::GetScrollInfo(Handle(), SB_VERT, &info);
        switch (LOWORD(wParam)) {
        case SB_LINEUP: ScrollTo(position_ - kLineStep); break;
        case SB_LINEDOWN: ScrollTo(position_ + kLineStep); break;
        case SB_PAGEUP: ScrollTo(position_ - client.bottom); break;
        case SB_PAGEDOWN: ScrollTo(position_ + client.bottom); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(range_); break;
        default: break;
        }
        return 0;
    }
    if (message == WM_MOUSEWHEEL) {
        ScrollTo(position_ - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3 * kLineStep);
        return 0;
    }
    return TWindow::HandleMessage(message, wParam, lParam);
}

} // namespace corvalis::ui
