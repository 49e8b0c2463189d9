#pragma once

#include "ui/Window.h"

#include "ui/ModalResult.h"

namespace corvalis::ui {

// The program's main window, which has a minimize box and whose closing ends the program,
// or a fixed dialog box with only the system menu, shown modally.
enum TFormKind { fkMainWindow, fkDialog };

// A top-level window of this client size, centred on the screen. Enter presses the focused
// push button or else the default button, Esc the cancel button; the message loops give it
// Tab and the mnemonics.
class TForm : public TWindow {
public:
    // A dialog without an owner, shown before any other window, has a taskbar button of its own.
    TForm(const std::string& caption, int clientWidth, int clientHeight, const std::string& fontFace, int fontPoints,
          TFormKind kind = fkMainWindow, HWND owner = nullptr);

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
