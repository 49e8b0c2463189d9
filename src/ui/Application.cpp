#include "ui/Application.h"

#include <exception>

#include "ui/portable/ErrorBoxText.h"

namespace corvalis::ui {
namespace Application {
namespace {

bool terminated = false;

} // namespace

std::function<void(int helpContext)> OnHelp;

void DispatchWithDialogKeys(MSG& message)
{
    const HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root && ::IsDialogMessageW(root, &message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

void Run()
{
    MSG message;
    while (!terminated) {
        if (::GetMessageW(&message, nullptr, 0, 0) <= 0) {
            terminated = true;
            break;
        }
        DispatchWithDialogKeys(message);
    }
}

void ProcessMessages()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            terminated = true;
        else
            DispatchWithDialogKeys(message);
    }
}

void Terminate()
{
    ::PostQuitMessage(0);
}

bool Terminated()
{
    return terminated;
}

void ShowErrorBox(HWND owner, const std::string& message)
{
    // Owned by the top-level window, which the box disables while it is shown.
    ShowMessageBox(owner ? ::GetAncestor(owner, GA_ROOT) : nullptr, ErrorBoxText(message), MB_OK | MB_ICONSTOP);
}

void ReportCurrentException(HWND owner) noexcept
{
    try {
        throw;
    } catch (const std::exception& error) {
        ShowErrorBox(owner, error.what());
    } catch (...) {
        ShowErrorBox(owner, "Unexpected error");
    }
}

void HelpContext(int helpContext)
{
    if (OnHelp)
        OnHelp(helpContext);
}

} // namespace Application

int ShowMessageBox(HWND owner, const std::string& text, UINT type)
{
    return ::MessageBoxW(owner, win32::Widen(text).c_str(), win32::Widen(kApplicationTitle).c_str(), type);
}

namespace {

struct TaskWindowsWalk {
    HWND except;
    std::vector<HWND>& enabled;
};

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM data)
{
    auto& walk = *reinterpret_cast<TaskWindowsWalk*>(data);
    if (window != walk.except && ::IsWindowVisible(window) && ::IsWindowEnabled(window))
        walk.enabled.push_back(window);
    return TRUE;
}

} // namespace

TTaskWindowsDisabled::TTaskWindowsDisabled(HWND except) : active_(::GetActiveWindow())
{
    TaskWindowsWalk walk{except, disabled_};
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&walk));
    for (HWND window : disabled_)
        ::EnableWindow(window, FALSE);
}

TTaskWindowsDisabled::~TTaskWindowsDisabled()
{
    for (HWND window : disabled_)
        if (::IsWindow(window))
            ::EnableWindow(window, TRUE);
    if (active_ && ::IsWindow(active_))
        ::SetActiveWindow(active_);
}

} // namespace corvalis::ui
