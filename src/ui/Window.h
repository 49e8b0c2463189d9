#pragma once

#include "platform/win32/WindowsSupport.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "ui/portable/Bounds.h"

namespace corvalis::ui {

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;

// The windows are laid out in pixels for 96 DPI and are not scaled: so are their fonts.
// The escapement turns the text, in tenths of a degree counterclockwise.
win32::ScopedFont MakeFont(const std::string& face, int points, TFontStyles style = 0, int escapement = 0);

// The text of a window of this process: a control's content, a window's caption.
std::string WindowText(HWND window);
void SetControlText(HWND window, const std::string& text);

// A window of our own. Every window of the installer is built the same way: a window class of
// ours, `this` kept from WM_NCCREATE on, and the child controls created in code at pixel
// positions for 96 DPI (no dialog templates). The window procedure is the boundary that no
// exception crosses: what a handler throws is shown in the standard error box.
class TWindow {
public:
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    virtual ~TWindow();

    HWND Handle() const { return handle_; }
    HFONT Font() const { return font_; }

    // A visible child control in this window's font, with an identifier of its own above
    // the dialog command identifiers, so that no control poses as IDOK or IDCANCEL.
    HWND CreateControl(const char* className, const std::string& text, DWORD style, const TBounds& bounds,
                       DWORD exStyle = 0);
    // A label that looks and acts as a link: link colour, hand cursor, a click runs onClick.
    // A group box: transparent, so that a parent that clips its children still paints
    // the box's inside, which the box itself never paints.
    HWND CreateGroupBox(const std::string& caption, const TBounds& bounds);
    HWND CreateLink(const std::string& text, const TBounds& bounds, std::function<void()> onClick);

    // Runs the handler for every WM_COMMAND notification of this code from the control.
    void OnCommand(HWND control, WORD notification, std::function<void()> handler);

    // The window's face, at these points and in this style; owned by the window.
    HFONT DerivedFont(int points, TFontStyles style);
    void SetControlFont(HWND control, int points, TFontStyles style);
    // Colours of a label, check box or radio button of this window; no background keeps the
    // window's own.
    void SetControlColors(HWND control, COLORREF text, std::optional<COLORREF> background = std::nullopt);
    // The window's background, also behind its labels, check boxes and radio buttons.
    void SetBackground(COLORREF color);

    // Sees the messages that the window does not handle itself (owner drawing, notifications).
    std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)> OnMessage;

protected:
    TWindow() = default;
    // Without a font, a child takes its parent's.
    void Create(const char* className, DWORD exStyle, DWORD style, const std::string& caption, const TBounds& bounds,
                HWND parent, HFONT font = nullptr);
    virtual std::optional<LRESULT> HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct ControlColors {
        COLORREF text;
        std::optional<COLORREF> background;
    };

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> ControlColor(HDC dc, HWND control);
    HBRUSH Brush(COLORREF color);

    HWND handle_ = nullptr;
    HFONT font_ = nullptr;
    int nextControlId_ = 1000;
    std::map<std::pair<HWND, WORD>, std::function<void()>> commands_;
    std::map<HWND, ControlColors> controlColors_;
    std::set<HWND> links_;
    std::optional<COLORREF> background_;
    std::map<COLORREF, win32::ScopedBrush> brushes_;
    std::map<std::pair<int, TFontStyles>, win32::ScopedFont> derivedFonts_;
};

} // namespace corvalis::ui
