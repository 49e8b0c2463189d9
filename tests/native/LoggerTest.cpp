#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/uLogger.h"
#include "platform/memory/MemoryPlatform.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

struct Delivered {
    TLogLevel level;
    std::u16string text;
    DateTime time;
};

class LoggerTest : public ::testing::Test {
protected:
    LoggerTest()
    {
        log.OnLog = [this](TLogBase& sender, TLogLevel level, const std::u16string& text, DateTime time) {
            EXPECT_EQ(&sender, &log);
            delivered.push_back({level, text, time});
        };
    }

    // The logged lines as (level, text in the system code page).
    std::vector<std::pair<TLogLevel, std::string>> Lines() const
    {
        std::vector<std::pair<TLogLevel, std::string>> lines;
        for (const Delivered& d : delivered)
            lines.emplace_back(d.level, machine.locale.WideToAnsi(d.text));
        return lines;
    }

    int32_t Run(ProcessScript script)
    {
        machine.processes.AddHandler([script](const std::string& command, const std::string&) {
            return command == "tool.exe" ? std::optional<ProcessScript>(script) : std::nullopt;
        });
        return RunProcess(machine.processes, machine.locale, log, "tool.exe", "C:\\");
    }

    MemoryPlatform machine;
    TLogToList log{machine.locale};
    std::vector<Delivered> delivered;
};

TEST_F(LoggerTest, EveryMessageIsRecordedThenDeliveredWithTheSameTime)
{
    machine.locale.SetNow(39216.5);
    log.LogInfo("Installing Corvalis v. 2.0.1.0 Standard Edition");
    log.LogError("  ERROR: cannot delete file: C:\\x");
    log.Log(llWarning, u"caf\u00E9");

    ASSERT_EQ(log.Messages.size(), 3u);
    EXPECT_EQ(log.Messages[0].Level, llInfo);
    EXPECT_EQ(log.Messages[0].Text, u"Installing Corvalis v. 2.0.1.0 Standard Edition");
    EXPECT_EQ(log.Messages[0].Time, 39216.5);
    EXPECT_THAT(Lines(), ElementsAre(Pair(llInfo, "Installing Corvalis v. 2.0.1.0 Standard Edition"),
                                     Pair(llError, "  ERROR: cannot delete file: C:\\x"), Pair(llWarning, "caf\xE9")));
    EXPECT_EQ(delivered[2].time, 39216.5);
}

TEST_F(LoggerTest, LogStringsStampsEveryLineWithOneTime)
{
    machine.locale.SetNow(40000.25);
    log.LogStrings(llDebug, {"Search paths:", "", "$(DELPHI)\\Lib"});
    machine.locale.SetNow(40001.0);
    log.LogDebug("later");
    EXPECT_THAT(Lines(), ElementsAre(Pair(llDebug, "Search paths:"), Pair(llDebug, ""), Pair(llDebug, "$(DELPHI)\\Lib"),
                                     Pair(llDebug, "later")));
    EXPECT_EQ(delivered[0].time, 40000.25);
    EXPECT_EQ(delivered[2].time, 40000.25);
    EXPECT_EQ(delivered[3].time, 40001.0);
}

TEST_F(LoggerTest, WithoutAHandlerMessagesAreOnlyRecorded)
{
    TLogToList quiet(machine.locale);
    quiet.LogDebug("x");
    EXPECT_EQ(quiet.Messages.size(), 1u);
}

struct SplitCase {
    std::string pending;
    std::vector<std::string> lines;
    std::string rest;
};

TEST(TakeCompleteLines, TerminatorsFollowTheRunnersRules)
{
    const SplitCase cases[] = {
        {"a\r\nb\n", {"a", "b"}, ""},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}, ""},
        {"a\rb\n", {"a", "b"}, ""},
        {"a\n\nb", {"a", ""}, "b"},
        {"no terminator", {}, "no terminator"},
        {"a\r", {"a"}, ""},
        {"a\r\n\r", {"a"}, ""},
        {"\n", {""}, ""},
        {"", {}, ""},
    };
    for (const SplitCase& c : cases) {
        std::string pending = c.pending;
        EXPECT_EQ(TakeCompleteLines(pending), c.lines) << c.pending;
        EXPECT_EQ(pending, c.rest) << c.pending;
    }
}

TEST(TakeCompleteLines, SplitsWideTextByTheSameRules)
{
    std::u16string pending = u"caf\u00E9\r\n\r\nb\rrest";
    EXPECT_EQ(TakeCompleteLines(pending), (std::vector<std::u16string>{u"caf\u00E9", u"", u"b"}));
    EXPECT_EQ(pending, u"rest");
}

TEST_F(LoggerTest, TheLogIsIdleOnceAPollingCycleAfterTheCyclesLines)
{
    std::vector<size_t> linesAtIdle;
    log.OnIdle = [&] { linesAtIdle.push_back(delivered.size()); };
    Run({{{"a\nb\n", ""}, {"", "c\n"}, {"", ""}}});
    EXPECT_THAT(linesAtIdle, ElementsAre(2u, 3u, 3u));
}

TEST_F(LoggerTest, ACarriageReturnEndingOneReadAndALineFeedStartingTheNextGiveAnExtraEmptyLine)
{
    EXPECT_EQ(Run({{{"first\r", ""}, {"\nsecond\r\n", ""}}}), 0);
    EXPECT_THAT(Lines(), ElementsAre(Pair(llDebug, "first"), Pair(llDebug, ""), Pair(llDebug, "second")));
}

TEST_F(LoggerTest, LinesSplitOverSeveralReadsAreJoined)
{
    ProcessScript script{{{"Compil", ""}, {"ing core", "Fat"}, {" packages\n", "al\n"}}};
    script.readLimit = 3;
    Run(script);
    EXPECT_THAT(Lines(), ElementsAre(Pair(llDebug, "Compiling core packages"), Pair(llError, "Fatal")));
}

TEST_F(LoggerTest, OutputIsDrainedBeforeErrorsWithinACycle)
{
    Run({{{"out1\n", "err1\n"}, {"out2\n", ""}}});
    EXPECT_THAT(Lines(), ElementsAre(Pair(llDebug, "out1"), Pair(llError, "err1"), Pair(llDebug, "out2")));
}

TEST_F(LoggerTest, UnterminatedRemaindersAreLoggedUnconvertedAfterTheEndOutputFirst)
{
    ProcessScript script{{{"caf\x82\n", "partial "}}, "tail \x82", "error", 3};
    EXPECT_EQ(Run(script), 3);
    EXPECT_THAT(Lines(),
                ElementsAre(Pair(llDebug, "caf\xE9"), Pair(llDebug, "tail \x82"), Pair(llError, "partial error")));
}

TEST_F(LoggerTest, AReadThatGetsNothingEndsTheCycleAndTheNextOneReadsOn)
{
    ProcessScript script{{{"Compiling\n", ""}}};
    script.failedReads = 1;
    EXPECT_EQ(Run(script), 0);
    EXPECT_THAT(Lines(), ElementsAre(Pair(llDebug, "Compiling")));
}

TEST_F(LoggerTest, AnExitCodeTheSystemCannotTellIsAFailure)
{
    ProcessScript script;
    script.exitCode = std::nullopt;
    EXPECT_EQ(Run(script), kExitCodeUnknown);
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
