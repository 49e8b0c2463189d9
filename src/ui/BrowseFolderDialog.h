#pragma once

#include "platform/win32/WindowsSupport.h"

#include <shlobj.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace corvalis::ui {

enum TBrowseKind : uint8_t { bfFolders, bfComputers };
enum TDialogPosition : uint8_t { dpDefault, dpScreenCenter };

// A message of the browse window, as its hooks see it.
struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// The shell's folder browser, with hooks to add buttons to its window. The browse window is
// subclassed while it is open; the object is found from it through a window property, which
// leaves the window's own user data to the shell.
class TBrowseFolderDialog {
public:
    // The control identifier of the button that a hook adds (and of the help button).
    static constexpr int kAddedButtonId = 0xFFFF;

    explicit TBrowseFolderDialog(HWND owner);
    TBrowseFolderDialog(const TBrowseFolderDialog&) = delete;
    TBrowseFolderDialog& operator=(const TBrowseFolderDialog&) = delete;

    TBrowseKind BrowseKind = bfFolders;
    // With bfFolders: the tree starts at the desktop, else at the computer's drives.
    bool DesktopRoot = true;
    std::string DialogText;
    // In: the folder to preselect; out: the chosen folder, without a trailing backslash.
    std::string FolderName;
    // Not 0: a "&Help" button opens the application's help at this context.
    int HelpContext = 0;
    TDialogPosition Position = dpScreenCenter;

    std::function<void(TBrowseFolderDialog& Sender)> OnInitialized;
    std::function<void(TBrowseFolderDialog& Sender)> OnSelChanged;
    std::function<void(TBrowseFolderDialog& Sender, HWND Handle)> OnCustomize;
    std::function<void(TBrowseFolderDialog& Sender, TMessage& Msg, bool& Handled)> OnWndProc;
    std::function<void(TBrowseFolderDialog& Sender, TMessage& Msg, bool& Handled)> OnCommand;
    std::function<void(TBrowseFolderDialog& Sender, bool& Enable)> OnEnableOKBtn;

    WNDPROC OldWndProc() const { return oldWndProc_; }
    HWND DialogHandle() const { return dialogHandle_; }
    const std::string& SelectionText() const { return selectionText_; }
    int ImageIndex() const { return imageIndex_; }

    // True when a folder (or computer) was chosen. Throws when the shell cannot give the
    // tree's root, or when the chosen item is not a file-system folder.
    bool Execute();

private:
    static int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);
    static LRESULT CALLBACK SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Initialized(HWND window);
    void SelectionChanged(LPCITEMIDLIST item);
    void EnableOK(bool enable);
    LRESULT WindowMessage(TMessage& message);
    void Unsubclass();

    HWND owner_;
    WNDPROC oldWndProc_ = nullptr;
    HWND dialogHandle_ = nullptr;
    std::string selectionText_;
    int imageIndex_ = 0;
    std::array<wchar_t, MAX_PATH> displayName_{};
};

// A push button of the browse window's font at its left, level with its OK button (the first
// button of the window): as wide as the text when textWidth, else as wide as OK.
HWND AddBrowseWindowButton(HWND browseWindow, const char* caption, bool textWidth);

} // namespace corvalis::ui
