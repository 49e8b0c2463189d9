#pragma once

#include "driver/Wait.h"

#include <string>
#include <vector>

// Drives windows as a user would, also those of another process: finds them, reads their
// state, clicks, ticks, types and presses keys. Every call that waits has a deadline.
namespace corvalis::uidriver {

// A null class name or caption matches any.
std::vector<HWND> TopLevelWindows(DWORD processId, const char* className = nullptr, const char* caption = nullptr);
// The first descendant, at any depth, in the order of the window tree.
HWND FindControl(HWND parent, const char* className, const char* caption);
std::vector<HWND> Controls(HWND parent, const char* className);
// Throws when there is none.
HWND Control(HWND parent, const char* className, const char* caption);

// Sent as WM_GETTEXT, which reads edits and rich edits of other processes too.
std::string Text(HWND window);
std::string ClassName(HWND window);
bool IsEnabled(HWND window);
// The window and all its parents are visible.
bool IsVisible(HWND window);
// BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
int CheckState(HWND button);

// Clicks an enabled, visible button and returns when its handler has returned.
void Click(HWND button);
// Clicks and returns at once: for a click that opens a modal window.
void ClickAsync(HWND button);
// Mouse down and up on a control's middle, posted: a label's STN_CLICKED, an edit's focus.
void ClickMouse(HWND control);
void DoubleClick(HWND control);
// Clicks a check box or radio button until it shows the state (three-state boxes cycle).
void SetCheck(HWND button, int state);
// Replaces the text, notifying the parent with EN_CHANGE as typing would.
void TypeText(HWND edit, const std::string& text);
// Selects the entry of a list box or combo box, notifying the parent as a click would.
void SelectItem(HWND list, const std::string& text);
std::vector<std::string> Items(HWND list);
// A key press for the control that has the focus in the window's thread, through that
// thread's message loop (and so its dialog keys: Tab, Enter, Esc).
void PressKey(HWND window, UINT virtualKey);
// The close box of the window's caption.
void ClickCloseBox(HWND window);

HWND WaitForWindow(DWORD processId, const char* className, const char* caption, Timeout timeout = kDefaultTimeout);
// A message box (or any standard dialog) of the process showing a text that contains text.
HWND WaitForMessageBox(DWORD processId, const std::string& text, Timeout timeout = kDefaultTimeout);
void WaitUntilGone(HWND window, Timeout timeout = kDefaultTimeout);
void WaitUntilEnabled(HWND window, bool enabled, Timeout timeout = kDefaultTimeout);
// Returns once the window's thread takes messages again, which it does only in a message
// loop: after a click that ends a modal loop, the program has gone on to its next one.
void WaitUntilListening(HWND window);

} // namespace corvalis::uidriver
