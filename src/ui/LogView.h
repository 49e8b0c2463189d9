#pragma once

#include "platform/win32/WindowsSupport.h"

#include <optional>
#include <string>

#include "ui/Window.h"
#include "ui/portable/Bounds.h"

namespace corvalis::ui {

// The progress log: a read-only rich edit with a vertical scroll bar that grows at the
// bottom, one line per message, each line in a colour of its own. Enter, Esc and Tab are not
// its own: they press the window's default and cancel buttons and move on, as elsewhere.
// The control belongs to its parent window.
class TLogView {
public:
    TLogView(HWND parent, const TBounds& bounds);

    HWND Handle() const { return edit_; }

    // Appends the text and a line break; without a colour the line is in the window text
    // colour, whatever the line before it had.
    void AppendLogLine(const std::string& text, TFontStyles style, std::optional<COLORREF> color);

    // Update brackets of the lines: nothing is drawn until the outermost one closes.
    void BeginUpdate();
    void EndUpdate();
    class TUpdate {
    public:
        explicit TUpdate(TLogView& view) : view_(view) { view_.BeginUpdate(); }
        ~TUpdate() { view_.EndUpdate(); }
        TUpdate(const TUpdate&) = delete;
        TUpdate& operator=(const TUpdate&) = delete;

    private:
        TLogView& view_;
    };

private:
    static LRESULT CALLBACK EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data);
    LONG TextLength() const;
    void Select(LONG start, LONG end);

    HWND edit_;
    int updates_ = 0;
};

} // namespace corvalis::ui
