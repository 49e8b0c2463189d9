#pragma once

#include "platform/win32/WindowsSupport.h"

namespace corvalis::ui {

// The product's picture, drawn to fill the area: the welcome pages and the no-IDE dialog
// show it at their left.
void PaintProductPicture(HDC dc, const RECT& area);

} // namespace corvalis::ui
