#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "log/uLogger.h"
#include "platform/memory/MemoryPlatform.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Lines = std::vector<std::pair<TLogLevel, std::string>>;

class LoggerTest : public ::testing::Test {
protected:
    LoggerTest()
    {
        log.OnLog = [this](TLogBase& sender, TLogLevel level, const std::u16string& text, DateTime) {
            EXPECT_EQ(&sender, &log);
            delivered.emplace_back(level, Utf16ToUtf8(text));
        };
    }
    // Each tool a name of its own: the first handler that knows a command line runs it.
    int32_t Run(ProcessScript script, const std::string& tool = "tool.exe")
    {
        machine.processes.AddHandler([script, tool](const std::string& command, const std::string&) {
            return command == tool ? std::optional<ProcessScript>(script) : std::nullopt;
        });
        return RunProcess(machine.processes, machine.locale, log, tool, "C:\\");
    }

    MemoryPlatform machine;
    TLogToList log{machine.locale};
    Lines delivered; // as (level, text in the system code page)
};

TEST(TakeCompleteLines, TerminatorsFollowTheRunnersRules)
{
    const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
        {"a\r\n\r\nb\rc\n", {"a", "", "b", "c"}, ""}, {"a\n\nb", {"a", ""}, "b"}, {"a\r\n\r", {"a"}, ""}, {"", {}, ""}};
    for (const auto& [text, lines, rest] : cases) {
        std::string pending = text;
        EXPECT_EQ(TakeCompleteLines(pending), lines) << text;
        EXPECT_EQ(pending, rest) << text;
    }
}

struct ToolCase {
    const char* what;
    ProcessScript script;
    int32_t exitCode;
    Lines lines;
};

// A tool's output as debug lines, its errors as error lines, read cycle by cycle.
TEST_F(LoggerTest, AToolsOutputIsLoggedLineByLine)
{
    ProcessScript split{{{"Compil", ""}, {"ing core", "Fat"}, {" packages\n", "al\n"}}};
    split.readLimit = 3;
    ProcessScript failedRead{{{"Compiling\n", ""}}};
    failedRead.failedReads = 1;
    ProcessScript unknownExit;
    unknownExit.exitCode = std::nullopt;
    const ToolCase cases[] = {
        {"a CR ending one read and a LF starting the next give an empty line",
         {{{"first\r", ""}, {"\nsecond\r\n", ""}}},
         0,
         {{llDebug, "first"}, {llDebug, ""}, {llDebug, "second"}}},
        {"lines split over reads are joined", split, 0, {{llDebug, "Compiling core packages"}, {llError, "Fatal"}}},
        {"output is drained before errors within a cycle",
         {{{"out1\n", "err1\n"}, {"out2\n", ""}}},
         0,
         {{llDebug, "out1"}, {llError, "err1"}, {llDebug, "out2"}}},
        {"unterminated remainders come after the end, output first, in the system code page",
         {{{"caf\x82\n", "partial "}}, "tail \x82", "error", 3},
         3,
         {{llDebug, "caf\xC3\xA9"}, {llDebug, "tail \xE2\x80\x9A"}, {llError, "partial error"}}},
        {"a read that gets nothing ends the cycle", failedRead, 0, {{llDebug, "Compiling"}}},
        {"an exit code the system cannot tell is a failure", unknownExit, kExitCodeUnknown, {}},
    };
    for (const ToolCase& c : cases) {
        delivered.clear();
        EXPECT_EQ(Run(c.script, std::string(c.what) + ".exe"), c.exitCode) << c.what;
        EXPECT_EQ(delivered, c.lines) << c.what;
    }
}

TEST_F(LoggerTest, TheLogIsIdleOnceAPollingCycleAfterTheCyclesLines)
{
    std::vector<size_t> linesAtIdle;
    log.OnIdle = [&] { linesAtIdle.push_back(delivered.size()); };
    Run({{{"a\nb\n", ""}, {"", "c\n"}, {"", ""}}});
    EXPECT_THAT(linesAtIdle, ElementsAre(2u, 3u, 3u));
}

TEST_F(LoggerTest, StartFailuresReturnTheirCodesAndLogNothing)
{
    EXPECT_EQ(RunProcess(machine.processes, machine.locale, log, "missing.exe", "C:\\"), -1);
    machine.processes.FailPipes(true);
    EXPECT_EQ(Run({}), -2);
    EXPECT_THAT(delivered, IsEmpty());
}

} // namespace
} // namespace corvalis
