#include "platform/DateTime.h"

#include <cmath>

namespace corvalis {
namespace {

constexpr int64_t kMillisecondsPerDay = 86'400'000;
// Days from 0000-03-01 (proleptic Gregorian) to 1899-12-30.
constexpr int64_t kEpochDays = 693'899;

// Howard Hinnant's days-from-civil, counted from 0000-03-01.
int64_t DaysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day)
{
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
}

} // namespace

DateTime EncodeDateTime(const DateTimeParts& p)
{
    const int64_t days = DaysFromCivil(p.year, p.month, p.day) - kEpochDays;
    const int64_t ms = ((p.hour * 60 + p.minute) * 60 + p.second) * 1000LL + p.millisecond;
    return static_cast<double>(days) + static_cast<double>(ms) / kMillisecondsPerDay;
}

DateTimeParts DecodeDateTime(DateTime value)
{
    const auto total = static_cast<int64_t>(std::llround(value * kMillisecondsPerDay));
    int64_t days = total / kMillisecondsPerDay;
    int64_t ms = total % kMillisecondsPerDay;
    if (ms < 0) {
        ms += kMillisecondsPerDay;
        --days;
    }
    DateTimeParts p;
    CivilFromDays(days + kEpochDays, p.year, p.month, p.day);
    p.millisecond = static_cast<int>(ms % 1000);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.hour = static_cast<int>(ms / 3600000);
    return p;
}

} // namespace corvalis
