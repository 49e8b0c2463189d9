#include "ui/BrowseFolderDialog.h"

#include <shellapi.h>

#include "platform/Exceptions.h"
#include "ui/Application.h"

namespace corvalis::ui {
namespace {

constexpr const wchar_t* kObjectProperty = L"CorvalisBrowseFolderDialog";

struct ItemIdListTraits {
    using Handle = LPITEMIDLIST;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::CoTaskMemFree(h); }
};
using ScopedItemIdList = win32::ScopedHandle<ItemIdListTraits>;

bool FolderExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(win32::Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

HWND AddBrowseWindowButton(HWND browseWindow, const char* caption, bool textWidth)
{
    const HWND ok = ::FindWindowExW(browseWindow, nullptr, L"BUTTON", nullptr);
    if (!ok)
        return nullptr;
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(browseWindow, WM_GETFONT, 0, 0));
    RECT bounds;
    ::GetWindowRect(ok, &bounds);
    ::MapWindowPoints(nullptr, browseWindow, reinterpret_cast<POINT*>(&bounds), 2);
    int width = bounds.right - bounds.left;
    const std::wstring text = win32::Widen(caption);
    if (textWidth) {
        const win32::ScopedWindowDC dc(ok);
        const win32::ScopedSelection selected(dc.Get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
        SIZE extent = {};
        ::GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
        width = extent.cx;
    }
    const HWND button =
        ::CreateWindowExW(0, L"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 12, bounds.top,
                          width, bounds.bottom - bounds.top, browseWindow,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(TBrowseFolderDialog::kAddedButtonId)),
                          ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::InvalidateRect(browseWindow, nullptr, TRUE);
    return button;
}

TBrowseFolderDialog::TBrowseFolderDialog(HWND owner) : owner_(owner) {}

bool TBrowseFolderDialog::Execute()
{
    ScopedItemIdList root;
    if (BrowseKind == bfComputers || !DesktopRoot) {
        const int folder = BrowseKind == bfComputers ? CSIDL_NETWORK : CSIDL_DRIVES;
        if (FAILED(::SHGetSpecialFolderLocation(owner_, folder, root.Receive())) || !root)
            throw Exception("The folder browser cannot open its root folder");
    }

    const std::wstring title = win32::Widen(DialogText);
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner_;
    browse.pidlRoot = root.Get();
    browse.pszDisplayName = displayName_.data();
    browse.lpszTitle = title.empty() ? nullptr : title.c_str();
    browse.ulFlags = BrowseKind == bfFolders ? BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS : BIF_BROWSEFORCOMPUTER;
    browse.lpfn = BrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(this);

    ScopedItemIdList chosen;
    {
        TTaskWindowsDisabled others(nullptr);
        chosen.Reset(::SHBrowseForFolderW(&browse));
        dialogHandle_ = nullptr;
        oldWndProc_ = nullptr;
    }
    if (!chosen)
        return false;
    if (BrowseKind == bfFolders) {
        wchar_t path[MAX_PATH] = {};
        if (!::SHGetPathFromIDListW(chosen.Get(), path))
            throw Exception("The chosen item is not a folder of the file system");
        FolderName = win32::Narrow(path);
        if (!FolderName.empty() && FolderName.back() == '\\')
            FolderName.pop_back();
    } else {
        FolderName = win32::Narrow(displayName_.data());
    }
    selectionText_ = FolderName;
    imageIndex_ = browse.iImage;
    return true;
}

int CALLBACK TBrowseFolderDialog::BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data)
{
    auto& self = *reinterpret_cast<TBrowseFolderDialog*>(data);
    try {
        if (message == BFFM_INITIALIZED)
            self.Initialized(window);
        else if (message == BFFM_SELCHANGED)
            self.SelectionChanged(reinterpret_cast<LPCITEMIDLIST>(lParam));
    } catch (...) {
        Application::ReportCurrentException(window);
    }
    return 0;
}

void TBrowseFolderDialog::Initialized(HWND window)
{
    if (Position == dpScreenCenter) {
        RECT bounds;
        ::GetWindowRect(window, &bounds);
        ::SetWindowPos(window, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - (bounds.right - bounds.left)) / 2,
                       (::GetSystemMetrics(SM_CYSCREEN) - (bounds.bottom - bounds.top)) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    dialogHandle_ = window;
    ::SetPropW(window, kObjectProperty, this);
    oldWndProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProcedure)));
    if (BrowseKind == bfComputers || FolderExists(FolderName))
        ::SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(win32::Widen(FolderName).c_str()));
    if (HelpContext != 0)
        AddBrowseWindowButton(window, "&Help", false);
    if (OnInitialized)
        OnInitialized(*this);
    if (OnCustomize)
        OnCustomize(*this, window);
}

void TBrowseFolderDialog::SelectionChanged(LPCITEMIDLIST item)
{
    if (BrowseKind == bfFolders) {
        wchar_t path[MAX_PATH] = {};
        if (::SHGetPathFromIDListW(item, path)) {
            selectionText_ = win32::Narrow(path);
            EnableOK(FolderExists(selectionText_));
        } else {
            selectionText_.clear();
            EnableOK(false);
        }
    } else {
        SHFILEINFOW info = {};
        ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
        selectionText_ = win32::Narrow(info.szDisplayName);
    }
    if (OnSelChanged)
        OnSelChanged(*this);
}

void TBrowseFolderDialog::EnableOK(bool enable)
{
    if (OnEnableOKBtn)
        OnEnableOKBtn(*this, enable);
    // Posted: Wine's browser checks the selection itself after the callback, and would undo
    // an enabling sent from within it.
    ::PostMessageW(dialogHandle_, BFFM_ENABLEOK, 0, enable ? TRUE : FALSE);
}

LRESULT CALLBACK TBrowseFolderDialog::SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<TBrowseFolderDialog*>(::GetPropW(window, kObjectProperty));
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    TMessage subclassed = {message, wParam, lParam, 0};
    try {
        return self->WindowMessage(subclassed);
    } catch (...) {
        Application::ReportCurrentException(window);
        return 0;
    }
}

LRESULT TBrowseFolderDialog::WindowMessage(TMessage& message)
{
    const HWND window = dialogHandle_;
    const WNDPROC original = oldWndProc_;
    bool handled = false;
    if (message.Msg == WM_COMMAND) {
        if (LOWORD(message.WParam) == kAddedButtonId && HIWORD(message.WParam) == BN_CLICKED && HelpContext != 0) {
            Application::HelpContext(HelpContext);
            return 0;
        }
        if (OnCommand)
            OnCommand(*this, message, handled);
    } else if (message.Msg == WM_DESTROY) {
        Unsubclass();
    }
    if (!handled && OnWndProc)
        OnWndProc(*this, message, handled);
    if (handled)
        return message.Result;
    return ::CallWindowProcW(original, window, message.Msg, message.WParam, message.LParam);
}

// The browse window is going: it gets its own procedure back, and the object lets go of it.
void TBrowseFolderDialog::Unsubclass()
{
    ::SetWindowLongPtrW(dialogHandle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldWndProc_));
    ::RemovePropW(dialogHandle_, kObjectProperty);
    dialogHandle_ = nullptr;
}

} // namespace corvalis::ui
