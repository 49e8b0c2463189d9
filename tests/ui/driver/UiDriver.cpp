#include "driver/UiDriver.h"

#include <algorithm>

namespace corvalis::uidriver {
namespace {

// How long a message to another process may take before the driver gives up on it.
constexpr UINT kSendTimeout = static_cast<UINT>(kDefaultTimeout.count());

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeout, &result))
        throw DriverError("the window of class " + ClassName(window) + " did not answer message " +
                          std::to_string(message));
    return static_cast<LRESULT>(result);
}

std::string Describe(HWND window)
{
    return ClassName(window) + " \"" + Text(window) + "\"";
}

bool Matches(HWND window, const char* className, const char* caption)
{
    return (!className || ::lstrcmpiA(ClassName(window).c_str(), className) == 0) &&
           (!caption || Text(window) == caption);
}

void RequireUsable(HWND control, const char* action)
{
    if (!::IsWindow(control))
        throw DriverError(std::string("cannot ") + action + ": no such window");
    if (!IsVisible(control) || !IsEnabled(control))
        throw DriverError(std::string("cannot ") + action + " " + Describe(control) + ": " +
                          (IsVisible(control) ? "disabled" : "hidden"));
}

void NotifyParent(HWND control, WORD notification)
{
    const WPARAM command = MAKEWPARAM(static_cast<WORD>(::GetDlgCtrlID(control)), notification);
    Send(::GetParent(control), WM_COMMAND, command, reinterpret_cast<LPARAM>(control));
}

LPARAM ClientMiddle(HWND control)
{
    RECT client;
    ::GetClientRect(control, &client);
    return MAKELPARAM(client.right / 2, client.bottom / 2);
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD processId, const char* className, const char* caption)
{
    struct Search {
        DWORD processId;
        const char* className;
        const char* caption;
        std::vector<HWND> found;
    } search{processId, className, caption, {}};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == search.processId && Matches(window, search.className, search.caption))
                search.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Controls(HWND parent, const char* className)
{
    struct Search {
        const char* className;
        std::vector<HWND> found;
    } search{className, {}};
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            if (Matches(window, search.className, nullptr))
                search.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindControl(HWND parent, const char* className, const char* caption)
{
    for (HWND control : Controls(parent, className))
        if (Matches(control, nullptr, caption))
            return control;
    return nullptr;
}

HWND Control(HWND parent, const char* className, const char* caption)
{
    if (HWND control = FindControl(parent, className, caption))
        return control;
    throw DriverError(std::string("no control ") + (className ? className : "") + " \"" + (caption ? caption : "") +
                      "\" in " + Describe(parent));
}

std::string Text(HWND window)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kSendTimeout, &length))
        return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                          kSendTimeout, &copied);
    text.resize(std::min<size_t>(copied, length));
    return text;
}

std::string ClassName(HWND window)
{
    char name[256] = {};
    return std::string(name, static_cast<size_t>(::GetClassNameA(window, name, sizeof name)));
}

bool IsEnabled(HWND window)
{
    return ::IsWindowEnabled(window) != FALSE;
}

bool IsVisible(HWND window)
{
    return ::IsWindowVisible(window) != FALSE;
}

int CheckState(HWND button)
{
    return static_cast<int>(Send(button, BM_GETCHECK, 0, 0));
}

void Click(HWND button)
{
    RequireUsable(button, "click");
    Send(button, BM_CLICK, 0, 0);
}

void ClickAsync(HWND button)
{
    RequireUsable(button, "click");
    ::PostMessageA(button, BM_CLICK, 0, 0);
}

void ClickMouse(HWND control)
{
    RequireUsable(control, "click");
    ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, ClientMiddle(control));
    ::PostMessageA(control, WM_LBUTTONUP, 0, ClientMiddle(control));
}

void DoubleClick(HWND control)
{
    RequireUsable(control, "double-click");
    const LPARAM where = ClientMiddle(control);
    ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, where);
    ::PostMessageA(control, WM_LBUTTONUP, 0, where);
    ::PostMessageA(control, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
    ::PostMessageA(control, WM_LBUTTONUP, 0, where);
}

void SetCheck(HWND button, int state)
{
    // No box has more than three states: three clicks reach each of them.
    for (int clicks = 0; clicks < 3 && CheckState(button) != state; ++clicks)
        Click(button);
    if (CheckState(button) != state)
        throw DriverError("clicking " + Describe(button) + " does not give state " + std::to_string(state));
}

void TypeText(HWND edit, const std::string& text)
{
    RequireUsable(edit, "type into");
    Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    // A one-line edit reports the new text itself; a multi-line one does not for WM_SETTEXT.
    if (::GetWindowLongPtrA(edit, GWL_STYLE) & ES_MULTILINE)
        NotifyParent(edit, EN_CHANGE);
}

// Read as UTF-16: Wine hands an ANSI caller of another process the item texts in UTF-16.
std::vector<std::string> Items(HWND list)
{
    const bool combo = ::lstrcmpiA(ClassName(list).c_str(), "ComboBox") == 0;
    const LRESULT count = Send(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    std::vector<std::string> items;
    for (LRESULT index = 0; index < count; ++index) {
        DWORD_PTR length = 0;
        ::SendMessageTimeoutW(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0, SMTO_NORMAL, kSendTimeout,
                              &length);
        std::wstring item(length + 1, L'\0');
        ::SendMessageTimeoutW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, index, reinterpret_cast<LPARAM>(item.data()),
                              SMTO_NORMAL, kSendTimeout, &length);
        item.resize(length);
        items.push_back(win32::Narrow(item));
    }
    return items;
}

void SelectItem(HWND list, const std::string& text)
{
    RequireUsable(list, "select in");
    const bool combo = ::lstrcmpiA(ClassName(list).c_str(), "ComboBox") == 0;
    const auto items = Items(list);
    const auto item = std::find(items.begin(), items.end(), text);
    if (item == items.end()) {
        std::string found;
        for (const std::string& entry : items)
            found += " \"" + entry + "\"";
        throw DriverError("no item \"" + text + "\" in " + Describe(list) + ", only" + found);
    }
    Send(list, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(item - items.begin()), 0);
    NotifyParent(list, combo ? CBN_SELCHANGE : LBN_SELCHANGE);
}

void PressKey(HWND window, UINT virtualKey)
{
    GUITHREADINFO thread = {sizeof thread};
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &thread);
    const HWND target = thread.hwndFocus ? thread.hwndFocus : window;
    const LPARAM scanCode = static_cast<LPARAM>(::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    ::PostMessageA(target, WM_KEYDOWN, virtualKey, scanCode | 1);
    ::PostMessageA(target, WM_KEYUP, virtualKey, scanCode | 1 | 0xC0000000);
}

void ClickCloseBox(HWND window)
{
    ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

HWND WaitForWindow(DWORD processId, const char* className, const char* caption, Timeout timeout)
{
    return WaitForWindowOf(
        [&] {
            for (HWND window : TopLevelWindows(processId, className, caption))
                if (IsVisible(window))
                    return window;
            return HWND(nullptr);
        },
        std::string("a window ") + (className ? className : "") + " \"" + (caption ? caption : "") + "\"", timeout);
}

HWND WaitForMessageBox(DWORD processId, const std::string& text, Timeout timeout)
{
    return WaitForWindowOf(
        [&] {
            for (HWND box : TopLevelWindows(processId, "#32770"))
                for (HWND label : Controls(box, "Static"))
                    if (IsVisible(box) && Text(label).find(text) != std::string::npos)
                        return box;
            return HWND(nullptr);
        },
        "a message box saying \"" + text + "\"", timeout);
}

void WaitUntilGone(HWND window, Timeout timeout)
{
    WaitUntil([&] { return !::IsWindow(window) || !IsVisible(window); }, "the window to go", timeout);
}

void WaitUntilEnabled(HWND window, bool enabled, Timeout timeout)
{
    WaitUntil([&] { return IsEnabled(window) == enabled; },
              Describe(window) + (enabled ? " to be enabled" : " to be disabled"), timeout);
}

void WaitUntilListening(HWND window)
{
    Send(window, WM_NULL, 0, 0);
}

} // namespace corvalis::uidriver
