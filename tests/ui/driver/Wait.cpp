#include "driver/Wait.h"

namespace corvalis::uidriver {

void Pump(Timeout slice)
{
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(slice.count()), QS_ALLINPUT);
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

void WaitUntil(const std::function<bool()>& condition, const std::string& what, Timeout timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            throw DriverError("timed out waiting for " + what);
        Pump(Timeout(20));
    }
}

HWND WaitForWindowOf(const std::function<HWND()>& find, const std::string& what, Timeout timeout)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = find()) != nullptr; }, what, timeout);
    return found;
}

} // namespace corvalis::uidriver
