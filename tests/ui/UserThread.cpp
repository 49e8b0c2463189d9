#include "UserThread.h"

namespace corvalis::uitest {

TUserThread::TUserThread(std::function<void()> actions)
{
    const DWORD modalThread = ::GetCurrentThreadId();
    done_ = std::async(std::launch::async, [actions = std::move(actions), modalThread] {
        try {
            actions();
        } catch (...) {
            for (HWND window : uidriver::TopLevelWindows(::GetCurrentProcessId()))
                if (::GetWindowThreadProcessId(window, nullptr) == modalThread && ::IsWindowVisible(window))
                    ::PostMessageA(window, WM_CLOSE, 0, 0);
            throw;
        }
    });
}

TUserThread::~TUserThread()
{
    if (done_.valid())
        done_.wait();
}

void TUserThread::Join()
{
    done_.get();
}

} // namespace corvalis::uitest
