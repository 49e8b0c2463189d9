#pragma once

#include "platform/win32/WindowsSupport.h"

#include <functional>
#include <string>
#include <vector>

namespace corvalis::ui {

// The caption of message boxes and of the standard error box.
constexpr const char* kApplicationTitle = "Corvalis Installer";

// The program's one message loop and what goes with it. Everything runs on the UI thread.
namespace Application {

// Dispatches messages, keyboard navigation included, until Terminate.
void Run();
// Lets the UI thread process every pending window message (repaint, button clicks), from
// inside a long operation. A quit request that it meets ends Run once the operation returns;
// until then every later message is still dispatched.
void ProcessMessages();
void Terminate();
bool Terminated();

// Dispatches one message; IsDialogMessage gives every top-level window Tab, Enter, Esc and
// the mnemonics.
void DispatchWithDialogKeys(MSG& message);

// The standard error box: the application title, a stop icon, the message with a full stop.
void ShowErrorBox(HWND owner, const std::string& message);
// Shows the exception being handled in the standard error box. For the catch blocks at the
// boundaries of window procedures and callbacks, which must not let an exception through.
void ReportCurrentException(HWND owner) noexcept;

// The help of the application: OnHelp, when set, shows the topic of a help context.
extern std::function<void(int helpContext)> OnHelp;
void HelpContext(int helpContext);

} // namespace Application

// A message box with the application title as its caption; returns the button chosen.
int ShowMessageBox(HWND owner, const std::string& text, UINT type);

// Disables the thread's enabled top-level windows but one while it lives, and activates the
// window that was active before at its end: a modal window's view of the others.
class TTaskWindowsDisabled {
public:
    explicit TTaskWindowsDisabled(HWND except);
    ~TTaskWindowsDisabled();
    TTaskWindowsDisabled(const TTaskWindowsDisabled&) = delete;
    TTaskWindowsDisabled& operator=(const TTaskWindowsDisabled&) = delete;

private:
    HWND active_;
    std::vector<HWND> disabled_;
};

} // namespace corvalis::ui
