#include "ui/Window.h"

#include "platform/Exceptions.h"
#include "platform/win32/Win32Locale.h"
#include "ui/Application.h"

namespace corvalis::ui {
namespace {

constexpr COLORREF kLinkColor = RGB(0, 0, 255);

void RegisterWindowClass(const std::wstring& className, WNDPROC procedure)
{
    static std::set<std::wstring> registered;
    if (registered.contains(className))
        return;
    WNDCLASSEXW windowClass = {sizeof windowClass};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className.c_str();
    if (!::RegisterClassExW(&windowClass))
        throw OSError(::GetLastError(), Win32Locale());
    registered.insert(className);
}

} // namespace

win32::ScopedFont MakeFont(const std::string& face, int points, TFontStyles style, int escapement)
{
    LOGFONTW font = {};
    font.lfHeight = -::MulDiv(points, 96, 72);
    font.lfEscapement = escapement;
    font.lfOrientation = escapement;
    font.lfWeight = style & fsBold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = style & fsItalic ? TRUE : FALSE;
    font.lfUnderline = style & fsUnderline ? TRUE : FALSE;
    font.lfStrikeOut = style & fsStrikeOut ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    win32::Widen(face).copy(font.lfFaceName, LF_FACESIZE - 1);
    return win32::ScopedFont(::CreateFontIndirectW(&font));
}

std::string WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return win32::Narrow(text);
}

void SetControlText(HWND window, const std::string& text)
{
    ::SetWindowTextW(window, win32::Widen(text).c_str());
}

TWindow::~TWindow()
{
    if (handle_)
        ::DestroyWindow(handle_);
}

void TWindow::Create(const char* className, DWORD exStyle, DWORD style, const std::string& caption,
                     const TBounds& bounds, HWND parent, HFONT font)
{
    const std::wstring windowClass = win32::Widen(className);
    RegisterWindowClass(windowClass, WindowProcedure);
    font_ = font || !parent ? font : reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0));
    if (!::CreateWindowExW(exStyle, windowClass.c_str(), win32::Widen(caption).c_str(), style, bounds.Left, bounds.Top,
                           bounds.Width, bounds.Height, parent, nullptr, ::GetModuleHandleW(nullptr), this))
        throw OSError(::GetLastError(), Win32Locale());
}

HWND TWindow::CreateControl(const char* className, const std::string& text, DWORD style, const TBounds& bounds,
                            DWORD exStyle)
{
    const HWND control = ::CreateWindowExW(exStyle, win32::Widen(className).c_str(), win32::Widen(text).c_str(),
                                           WS_CHILD | WS_VISIBLE | style, bounds.Left, bounds.Top, bounds.Width,
                                           bounds.Height, handle_,
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextControlId_++)),
                                           ::GetModuleHandleW(nullptr), nullptr);
    if (!control)
        throw OSError(::GetLastError(), Win32Locale());
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
}

HWND TWindow::CreateGroupBox(const std::string& caption, const TBounds& bounds)
{
    return CreateControl("BUTTON", caption, BS_GROUPBOX, bounds, WS_EX_TRANSPARENT);
}

HWND TWindow::CreateLink(const std::string& text, const TBounds& bounds, std::function<void()> onClick)
{
    const HWND link = CreateControl("STATIC", text, SS_NOTIFY | SS_NOPREFIX, bounds);
    SetControlColors(link, kLinkColor);
    links_.insert(link);
    OnCommand(link, STN_CLICKED, std::move(onClick));
    return link;
}

void TWindow::OnCommand(HWND control, WORD notification, std::function<void()> handler)
{
    commands_[{control, notification}] = std::move(handler);
}

HFONT TWindow::DerivedFont(int points, TFontStyles style)
{
    auto& font = derivedFonts_[{points, style}];
    if (!font) {
        LOGFONTW base = {};
        ::GetObjectW(font_ ? font_ : ::GetStockObject(DEFAULT_GUI_FONT), sizeof base, &base);
        font = MakeFont(win32::Narrow(base.lfFaceName), points, style);
    }
    return font.Get();
}

void TWindow::SetControlFont(HWND control, int points, TFontStyles style)
{
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DerivedFont(points, style)), TRUE);
}

void TWindow::SetControlColors(HWND control, COLORREF text, std::optional<COLORREF> background)
{
    controlColors_[control] = {text, background};
    ::InvalidateRect(control, nullptr, TRUE);
}

void TWindow::SetBackground(COLORREF color)
{
    background_ = color;
    ::InvalidateRect(handle_, nullptr, TRUE);
}

HBRUSH TWindow::Brush(COLORREF color)
{
    auto& brush = brushes_[color];
    if (!brush)
        brush.Reset(::CreateSolidBrush(color));
    return brush.Get();
}

std::optional<LRESULT> TWindow::ControlColor(HDC dc, HWND control)
{
    const auto colors = controlColors_.find(control);
    if (colors == controlColors_.end() && !background_)
        return std::nullopt;
    COLORREF background = background_.value_or(::GetSysColor(COLOR_BTNFACE));
    if (colors != controlColors_.end()) {
        ::SetTextColor(dc, colors->second.text);
        background = colors->second.background.value_or(background);
    }
    ::SetBkColor(dc, background);
    return reinterpret_cast<LRESULT>(Brush(background));
}

std::optional<LRESULT> TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (const auto handler = commands_.find({reinterpret_cast<HWND>(lParam), HIWORD(wParam)});
            lParam && handler != commands_.end()) {
            // The handler may replace itself: call a copy.
            const auto run = handler->second;
            run();
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC: return ControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ERASEBKGND:
        if (background_) {
            RECT client;
            ::GetClientRect(handle_, &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, Brush(*background_));
            return 1;
        }
        break;
    case WM_SETCURSOR:
        if (links_.contains(reinterpret_cast<HWND>(wParam))) {
            ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
            return TRUE;
        }
        break;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(font_);
    case WM_SETFONT: font_ = reinterpret_cast<HFONT>(wParam); return 0;
    }
    return std::nullopt;
}

LRESULT CALLBACK TWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        created->handle_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<TWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        auto result = self->HandleMessage(message, wParam, lParam);
        if (!result && self->OnMessage)
            result = self->OnMessage(message, wParam, lParam);
        if (result)
            return *result;
    } catch (...) {
        Application::ReportCurrentException(window);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace corvalis::ui
