#pragma once

#include "ui/Window.h"

namespace corvalis::ui {

// The size a text takes in a control's font: wrapped at width when one is given, on one line
// otherwise.
SIZE TextExtent(HWND control, const std::string& text, int width = 0);

// Lays labels and other controls out from the top down. Each label is at least as tall as the
// pages were drawn for and as tall as its text needs, wrapped at its width, in the font the
// system gives: a wider font pushes what follows down instead of hiding words.
class TLabelColumn {
public:
    TLabelColumn(TWindow& window, int left, int top, int width) : window_(window), left_(left), top_(top), width_(width)
    {
    }

    // A label gap pixels below what is above it, at least minHeight tall.
    HWND Label(const std::string& text, int gap, int minHeight, DWORD style = SS_NOPREFIX);
    // Moves a label there and sizes it to its text as it is now; for a text that changes.
    void Fit(HWND label, int gap, int minHeight);
    // The place of another control gap pixels below what is above it, indented from the
    // column's left.
    TBounds Place(int gap, int height, int indent = 0);
    int Top() const { return top_; }

private:
    TWindow& window_;
    int left_;
    int top_;
    int width_;
};

} // namespace corvalis::ui
