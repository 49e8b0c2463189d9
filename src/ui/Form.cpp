#include "ui/Form.h"

#include "ui/Application.h"

namespace corvalis::ui {
namespace {

bool IsPushButton(HWND window)
{
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    const LONG_PTR type = ::GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK;
    return ::lstrcmpiW(className, L"BUTTON") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

void SetButtonStyle(HWND button, DWORD style)
{
    if (button && IsPushButton(button))
        ::SendMessageW(button, BM_SETSTYLE, style, TRUE);
}

} // namespace

TForm::TForm(const std::string& caption, int clientWidth, int clientHeight, const std::string& fontFace, int fontPoints,
             TFormKind kind, HWND owner)
    : font_(MakeFont(fontFace, fontPoints)), clientWidth_(clientWidth), clientHeight_(clientHeight)
{
    const bool dialog = kind == fkDialog;
    const DWORD style =
        WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | (dialog ? WS_POPUP : WS_OVERLAPPED | WS_MINIMIZEBOX);
    const DWORD exStyle = WS_EX_CONTROLPARENT | (dialog ? WS_EX_DLGMODALFRAME : 0) | (owner ? 0 : WS_EX_APPWINDOW);
    RECT frame = {0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    Create(
        "CorvalisForm", exStyle, style, caption,
        {(::GetSystemMetrics(SM_CXSCREEN) - width) / 2, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height},
        owner, font_.Get());
}

void TForm::Show()
{
    ::ShowWindow(Handle(), SW_SHOW);
    ::UpdateWindow(Handle());
    FocusFirstControl();
}

int TForm::ShowModal()
{
    modalResult_ = mrNone;
    modal_ = true;
    {
        TTaskWindowsDisabled others(Handle());
        Show();
        MSG message;
        while (modalResult_ == mrNone) {
            if (::GetMessageW(&message, nullptr, 0, 0) <= 0) {
                // The program is ending: leave the request to its own message loop.
                ::PostQuitMessage(static_cast<int>(message.wParam));
                modalResult_ = mrCancel;
                break;
            }
            Application::DispatchWithDialogKeys(message);
        }
    }
    ::ShowWindow(Handle(), SW_HIDE);
    modal_ = false;
    return modalResult_;
}

void TForm::Close()
{
    if (modal_)
        modalResult_ = mrCancel;
    else
        Application::Terminate();
}

HWND TForm::CreateButton(const std::string& caption, const TBounds& bounds, int modalResult)
{
    const HWND button = CreateControl("BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON, bounds);
    if (modalResult != mrNone)
        OnCommand(button, BN_CLICKED, [this, modalResult] { modalResult_ = modalResult; });
    return button;
}

void TForm::SetDefaultButton(HWND button)
{
    if (button == defaultButton_)
        return;
    SetButtonStyle(defaultButton_, BS_PUSHBUTTON);
    defaultButton_ = button;
    SetButtonStyle(defaultButton_, BS_DEFPUSHBUTTON);
}

void TForm::SetCancelButton(HWND button)
{
    cancelButton_ = button;
}

void TForm::Press(HWND button)
{
    if (button && ::IsWindowEnabled(button) && ::IsWindowVisible(button))
        ::SendMessageW(button, BM_CLICK, 0, 0);
}

void TForm::PressDefault()
{
    const HWND focus = ::GetFocus();
    Press(focus && ::IsChild(Handle(), focus) && IsPushButton(focus) ? focus : defaultButton_);
}

void TForm::FocusFirstControl()
{
    HWND target = defaultButton_ && ::IsWindowEnabled(defaultButton_) ? defaultButton_
                                                                      : ::GetNextDlgTabItem(Handle(), nullptr, FALSE);
    ::SetFocus(target ? target : Handle());
}

std::optional<LRESULT> TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        // IsDialogMessage reports Enter and Esc to the top-level window as IDOK and IDCANCEL
        // with no control; no control of ours has these identifiers.
        const auto control = reinterpret_cast<HWND>(lParam);
        if (!control && HIWORD(wParam) == 0 && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            if (LOWORD(wParam) == IDOK)
                PressDefault();
            else
                Press(cancelButton_);
            return 0;
        }
        // It sends Enter on a focused default button here too, also for a button of a child
        // window: that goes on to the button's own parent.
        if (control && ::GetParent(control) != Handle() && ::IsChild(Handle(), control))
            return ::SendMessageW(::GetParent(control), WM_COMMAND, wParam, lParam);
        break;
    }
    case WM_CLOSE: Close(); return 0;
    }
    return TWindow::HandleMessage(message, wParam, lParam);
}

} // namespace corvalis::ui
