#include "ui/LogView.h"

#include <commctrl.h>
#include <richedit.h>

#include "platform/Exceptions.h"
#include "platform/win32/Win32Locale.h"

namespace corvalis::ui {
namespace {

// The program restricts the DLL search to the system folder; the rich edit's DLL is named
// from there all the same, so that no search is involved. It stays loaded for the process.
void LoadRichEdit()
{
    static const win32::ScopedModule richEdit = [] {
        wchar_t folder[MAX_PATH] = {};
        ::GetSystemDirectoryW(folder, MAX_PATH);
        return win32::ScopedModule(::LoadLibraryW((std::wstring(folder) + L"\\riched20.dll").c_str()));
    }();
    if (!richEdit)
        throw Exception("The rich edit control (riched20.dll) cannot be loaded");
}

} // namespace

TLogView::TLogView(HWND parent, const TBounds& bounds)
{
    LoadRichEdit();
    edit_ = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, L"RichEdit20W", L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, bounds.Left,
        bounds.Top, bounds.Width, bounds.Height, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!edit_)
        throw OSError(::GetLastError(), Win32Locale());
    ::SendMessageW(edit_, WM_SETFONT, ::SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
    // An installation logs far more than the default limit of 32K characters.
    ::SendMessageW(edit_, EM_EXLIMITTEXT, 0, 64 * 1024 * 1024);
    ::SetWindowSubclass(edit_, EditProcedure, 0, 0);
}

// A multi-line edit asks for every key; this one leaves the dialog keys to the dialog.
LRESULT CALLBACK TLogView::EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_GETDLGCODE)
        return ::DefSubclassProc(window, message, wParam, lParam) & ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(window, EditProcedure, 0);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LONG TLogView::TextLength() const
{
    GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, 1200}; // UTF-16
    return static_cast<LONG>(::SendMessageW(edit_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

void TLogView::Select(LONG start, LONG end)
{
    CHARRANGE range = {start, end};
    ::SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void TLogView::AppendLogLine(const std::string& text, TFontStyles style, std::optional<COLORREF> color)
{
    TUpdate update(*this);
    const LONG start = TextLength();
    Select(start, start);
    ::SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(win32::Widen(text).c_str()));
    // Measured rather than taken from the text: the control keeps a line break as one character.
    const LONG end = TextLength();
    Select(start, end);

    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    format.dwEffects = (color ? 0 : CFE_AUTOCOLOR) | (style & fsBold ? CFE_BOLD : 0) |
                       (style & fsItalic ? CFE_ITALIC : 0) | (style & fsUnderline ? CFE_UNDERLINE : 0) |
                       (style & fsStrikeOut ? CFE_STRIKEOUT : 0);
    format.crTextColor = color.value_or(0);
    ::SendMessageW(edit_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));

    Select(end, end);
    ::SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"\r\n"));
}

void TLogView::BeginUpdate()
{
    if (updates_++ == 0)
        ::SendMessageW(edit_, WM_SETREDRAW, FALSE, 0);
}

void TLogView::EndUpdate()
{
    if (--updates_ > 0)
        return;
    ::SendMessageW(edit_, WM_SETREDRAW, TRUE, 0);
    ::SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
    ::InvalidateRect(edit_, nullptr, TRUE);
}

} // namespace corvalis::ui
