#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/memory/MemoryPlatform.h"
#include "run/SetupLog.h"

namespace corvalis {
namespace {

TEST(FormatLogLine, StampsTheLineWithMillisecondsAndTheLevelName)
{
    EXPECT_EQ(FormatLogLine(EncodeDateTime({2026, 1, 2, 8, 4, 5, 7}), llError, "x", "."),
              "[2026-01-02 08.04.05.007, Error]x");
    const char* names[] = {"Debug", "Info", "Warning", "Error", "Fatal", "Unknown"};
    for (uint8_t level = llDebug; level <= llUnknown; ++level)
        EXPECT_THAT(FormatLogLine(0, static_cast<TLogLevel>(level), "", ":"),
                    ::testing::EndsWith(std::string(names[level]) + "]"));
}

// setup.log gets every line; the view only those above Debug, and one error marks the run.
TEST(TProgressLog, DetailLinesStayOutOfTheViewAndOneErrorMarksTheRun)
{
    MemoryLocale locale;
    TProgressLog log(locale);
    const DateTime time = EncodeDateTime({2007, 5, 14, 16, 2, 31, 250});
    EXPECT_FALSE(log.Add(llDebug, u"tool output", time).inView);
    EXPECT_FALSE(log.HasErrors());
    const auto error = log.Add(llError, u"Error compiling package: CorvalisD7.dpk", time);
    EXPECT_TRUE(error.inView && error.error);
    const auto info = log.Add(llInfo, u"caf\u00E9\r\nsecond line", time);
    EXPECT_TRUE(info.inView && !info.error);
    EXPECT_EQ(info.text, "caf\xC3\xA9\r\nsecond line");
    EXPECT_TRUE(log.HasErrors());

    MemoryFiles files;
    EXPECT_EQ(log.Save(files, "C:\\New\\Folder"), "C:\\New\\Folder\\setup.log");
    EXPECT_EQ(files.ReadFile("C:\\New\\Folder\\setup.log"),
              "[2007-05-14 16:02:31.250, Debug]tool output\r\n"
              "[2007-05-14 16:02:31.250, Error]Error compiling package: CorvalisD7.dpk\r\n"
              "[2007-05-14 16:02:31.250, Info]caf\xE9\r\nsecond line\r\n");

    // A character the system code page lacks makes the whole file UTF-8, rather than a "?".
    log.Clear();
    log.Add(llInfo, u"caf\u00E9 \u0141ukasz", time);
    log.SaveAs(files, "C:\\New\\copy.log");
    EXPECT_EQ(files.ReadFile("C:\\New\\copy.log"),
              "\xEF\xBB\xBF[2007-05-14 16:02:31.250, Info]caf\xC3\xA9 \xC5\x81ukasz\r\n");
}

} // namespace
} // namespace corvalis
