#pragma once

#include "driver/UiDriver.h"

#include <functional>
#include <future>

namespace corvalis::uitest {

// Plays the user on a second thread while this one runs a modal window of its own. When the
// actions fail, the thread closes this thread's windows, so that the modal loop ends and
// Join reports the failure.
class TUserThread {
public:
    explicit TUserThread(std::function<void()> actions);
    ~TUserThread();
    TUserThread(const TUserThread&) = delete;
    TUserThread& operator=(const TUserThread&) = delete;

    // Waits for the actions to end; throws what they threw.
    void Join();

private:
    std::future<void> done_;
};

} // namespace corvalis::uitest
