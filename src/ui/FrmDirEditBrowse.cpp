#include "ui/FrmDirEditBrowse.h"

#include <commctrl.h>

#include "ui/Application.h"

namespace corvalis::ui {
namespace {

constexpr int kEditTop = 22;
constexpr int kEditHeight = 21;
constexpr int kGap = 4;

} // namespace

TFrameDirEditBrowse::TFrameDirEditBrowse(HWND parent, const TBounds& bounds)
{
    Create("CorvalisDirEditBrowse", WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, "", bounds, parent);
    bevel_ = CreateControl("STATIC", "", SS_ETCHEDHORZ, {});
    // The caption's mnemonic leads to the edit, the next control.
    LblCaption = CreateControl("STATIC", "", 0, {});
    EditDirectory = CreateControl("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, {}, WS_EX_CLIENTEDGE);
    BtnDirBrowse = CreateControl("BUTTON", "...", WS_TABSTOP | BS_PUSHBUTTON, {});
    OnCommand(BtnDirBrowse, BN_CLICKED, [this] { BtnDirBrowseClick(); });
    ::SetWindowSubclass(EditDirectory, EditProcedure, 0, reinterpret_cast<DWORD_PTR>(this));

    hint_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, Handle(), nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(BtnDirBrowse);
    tool.lpszText = const_cast<wchar_t*>(L"Browse...");
    ::SendMessageW(hint_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    Layout();
}

void TFrameDirEditBrowse::SetCaption(const std::string& caption)
{
    SetControlText(LblCaption, caption);
}

void TFrameDirEditBrowse::SetBrowseButton(const std::string& caption, int width, int height)
{
    SetControlText(BtnDirBrowse, caption);
    buttonWidth_ = width;
    buttonHeight_ = height;
    Layout();
}

std::string TFrameDirEditBrowse::Directory() const
{
    return WindowText(EditDirectory);
}

void TFrameDirEditBrowse::SetDirectory(const std::string& directory)
{
    SetControlText(EditDirectory, directory);
}

// The edit keeps to the left, top and right edges, the button to the top and right ones.
void TFrameDirEditBrowse::Layout()
{
    RECT client;
    ::GetClientRect(Handle(), &client);
    const int width = client.right;
    ::MoveWindow(bevel_, 0, 0, width, 2, TRUE);
    ::MoveWindow(LblCaption, 0, 6, width, 14, TRUE);
    ::MoveWindow(EditDirectory, 0, kEditTop, width - buttonWidth_ - kGap, kEditHeight, TRUE);
    ::MoveWindow(BtnDirBrowse, width - buttonWidth_, kEditTop + (kEditHeight - buttonHeight_) / 2, buttonWidth_,
                 buttonHeight_, TRUE);
}

void TFrameDirEditBrowse::BtnDirBrowseClick()
{
    if (browsing_)
        return;
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(browsing_);

    std::string dir = Directory();
    if (!BrowseDirectory(dir))
        return;
    if (OnChange)
        OnChange(*this, UserData, dir);
    if (!dir.empty() || AllowEmpty)
        SetDirectory(dir);
}

void TFrameDirEditBrowse::EditDirectoryDblClick()
{
    BtnDirBrowseClick();
}

bool TFrameDirEditBrowse::BrowseDirectory(std::string& Dir)
{
    EmptyChosen = false;
    TBrowseFolderDialog dialog(::GetAncestor(Handle(), GA_ROOT));
    dialog.DialogText = "Please select the directory below:";
    dialog.FolderName = Dir;
    using namespace std::placeholders;
    dialog.OnCustomize = std::bind(&TFrameDirEditBrowse::AddNoDirectoryButton, this, _1, _2);
    dialog.OnCommand = std::bind(&TFrameDirEditBrowse::NoDirectoryCommand, this, _1, _2, _3);
    bool result = dialog.Execute();
    if (result)
        Dir = dialog.FolderName;
    if (EmptyChosen && AllowEmpty) {
        Dir.clear();
        result = true;
    }
    return result;
}

void TFrameDirEditBrowse::AddNoDirectoryButton(TBrowseFolderDialog&, HWND Handle)
{
    if (AllowEmpty)
        AddBrowseWindowButton(Handle, "No directory", true);
}

void TFrameDirEditBrowse::NoDirectoryCommand(TBrowseFolderDialog& Sender, TMessage& Msg, bool& Handled)
{
    if (LOWORD(Msg.WParam) != TBrowseFolderDialog::kAddedButtonId || HIWORD(Msg.WParam) != BN_CLICKED || !AllowEmpty)
        return;
    SetDirectory("");
    EmptyChosen = true;
    Handled = true;
    ::PostMessageW(Sender.DialogHandle(), WM_CLOSE, 0, 0);
}

LRESULT CALLBACK TFrameDirEditBrowse::EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                    DWORD_PTR self)
{
    if (message == WM_LBUTTONDBLCLK) {
        try {
            reinterpret_cast<TFrameDirEditBrowse*>(self)->EditDirectoryDblClick();
        } catch (...) {
            Application::ReportCurrentException(window);
        }
        return 0;
    }
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(window, EditProcedure, 0);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

std::optional<LRESULT> TFrameDirEditBrowse::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE)
        Layout();
    return TWindow::HandleMessage(message, wParam, lParam);
}

} // namespace corvalis::ui
