#pragma once

#include <cstdint>

namespace corvalis {

// A local date and time as days since 1899-12-30, the fraction being the time of day.
using DateTime = double;

struct DateTimeParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

DateTime EncodeDateTime(const DateTimeParts& parts);
// Rounded to the nearest millisecond.
DateTimeParts DecodeDateTime(DateTime value);

} // namespace corvalis
