#pragma once

#include "platform/win32/WindowsSupport.h"

#include "log/uLogger.h"

namespace corvalis::bench {

// Seconds since it was started, from the performance counter.
class TStopwatch {
public:
    TStopwatch() { ::QueryPerformanceCounter(&start_); }
    double Seconds() const
    {
        LARGE_INTEGER now, frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER start_;
};

// A log that only counts its lines.
class TCountingLog : public TLogBase {
public:
    using TLogBase::TLogBase;
    long lines = 0;

protected:
    void DoLog(TLogLevel, const std::u16string&, DateTime) override { ++lines; }
};

} // namespace corvalis::bench
