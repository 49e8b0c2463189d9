#pragma once

#include "platform/win32/WindowsSupport.h"

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>

namespace corvalis::uidriver {

using Timeout = std::chrono::milliseconds;
// Generous: the first window of a program under Wine can take seconds.
constexpr Timeout kDefaultTimeout{20000};

// What the driver throws when a window cannot be found or acted on, or a wait times out;
// GoogleTest reports it as the test's failure.
class DriverError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Lets the calling thread's own windows work for a short slice: returns when a message
// arrives or the slice ends, having dispatched what is pending.
void Pump(Timeout slice);

// Polls until the condition holds, in short slices that pump the caller's messages;
// throws a DriverError naming what was awaited when the timeout passes first.
void WaitUntil(const std::function<bool()>& condition, const std::string& what, Timeout timeout = kDefaultTimeout);

// Polls until find gives a window.
HWND WaitForWindowOf(const std::function<HWND()>& find, const std::string& what, Timeout timeout = kDefaultTimeout);

} // namespace corvalis::uidriver
