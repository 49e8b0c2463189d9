#pragma once

#include "ui/Window.h"

#include "ui/ModalResult.h"

namespace corvalis::ui {

// A top-level window of this client size, centred on the screen. Without an owner it is the
// program's main window, and closing it ends the program; with one it is a dialog box, shown
// modally. Enter presses the focused push button or else the default button, Esc the cancel
// button; the message loops give it Tab and the mnemonics.
class TForm : public TWindow {
public:
    TForm(const std::string& caption, int clientWidth, int clientHeight, const std::string& fontFace, int fontPoints,
          HWND owner = nullptr);

    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }

    void Show();
    // Runs until a button with a modal result is pressed or the window is closed (mrCancel).
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    // Shown modally: ends with mrCancel. The main window: asks the program to end, which
    // happens when the message loop next gets control.
    void Close();

    // A push button; one with a modal result ends a modal showing with it.
    HWND CreateButton(const std::string& caption, const TBounds& bounds, int modalResult = mrNone);
    void SetDefaultButton(HWND button);
    void SetCancelButton(HWND button);

protected:
    std::optional<LRESULT> HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Press(HWND button);
    void PressDefault();
    void FocusFirstControl();

    win32::ScopedFont font_;
    int clientWidth_;
    int clientHeight_;
    bool modal_ = false;
    int modalResult_ = mrNone;
    HWND defaultButton_ = nullptr;
    HWND cancelButton_ = nullptr;
};

} // namespace corvalis::ui
