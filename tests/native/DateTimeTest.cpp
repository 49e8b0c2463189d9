#include <gtest/gtest.h>

#include "platform/DateTime.h"

namespace corvalis {
namespace {

TEST(DateTime, DaysCountFrom1899December30)
{
    EXPECT_EQ(EncodeDateTime({1899, 12, 30}), 0.0);
    EXPECT_EQ(EncodeDateTime({1900, 3, 1}), 61.0);
    EXPECT_EQ(EncodeDateTime({2007, 5, 14}), 39216.0);
    EXPECT_EQ(EncodeDateTime({2000, 2, 29, 12}), 36585.5);
}

TEST(DateTime, DecodingGivesBackEveryPartToTheMillisecond)
{
    const DateTimeParts cases[] = {{2007, 5, 14, 16, 2, 31, 250},
                                   {2026, 12, 6, 8, 4, 5, 7},
                                   {2000, 2, 29, 23, 59, 59, 999},
                                   {1999, 12, 31, 0, 0, 0, 1}};
    for (const DateTimeParts& c : cases) {
        const DateTimeParts d = DecodeDateTime(EncodeDateTime(c));
        EXPECT_EQ(d.year, c.year);
        EXPECT_EQ(d.month, c.month);
        EXPECT_EQ(d.day, c.day);
        EXPECT_EQ(d.hour, c.hour);
        EXPECT_EQ(d.minute, c.minute);
        EXPECT_EQ(d.second, c.second);
        EXPECT_EQ(d.millisecond, c.millisecond);
    }
}

} // namespace
} // namespace corvalis
