#include <algorithm>

#include "contract/ServiceEnvironment.h"
#include "engine/uLogger.h"
#include "ide/Utils.h"

namespace corvalis::testing {
namespace {

using ::testing::ElementsAre;

// Keeps what the runner logged, by level, in the system code page.
class RecordingLog : public TLogBase {
public:
    explicit RecordingLog(const ILocale& locale) : TLogBase(locale), locale_(locale) {}
    std::vector<std::string> At(TLogLevel level) const
    {
        std::vector<std::string> lines;
        for (const auto& [l, text] : lines_)
            if (l == level)
                lines.push_back(text);
        return lines;
    }
    size_t Count() const { return lines_.size(); }

protected:
    void DoLog(TLogLevel level, const std::u16string& text, DateTime) override
    {
        lines_.emplace_back(level, locale_.WideToAnsi(text));
    }

private:
    const ILocale& locale_;
    std::vector<std::pair<TLogLevel, std::string>> lines_;
};

class ProcessesContract : public ContractTest {
protected:
    int32_t Run(const std::string& actions, RecordingLog& log)
    {
        return RunProcess(Services().processes, Services().locale, log, Env().ChildCommand(actions),
                          Env().ScratchFolder());
    }
};

TEST_P(ProcessesContract, AQuietToolYieldsItsExitCodeAndNoLine)
{
    RecordingLog log(Services().locale);
    EXPECT_EQ(Run("", log), 0);
    EXPECT_EQ(log.Count(), 0u);
    EXPECT_EQ(Run("exit:9", log), 9);
}

TEST_P(ProcessesContract, OutputLinesAreDebugAndErrorLinesAreErrors)
{
    RecordingLog log(Services().locale);
    EXPECT_EQ(Run("\"out:Borland Delphi Version 15.0\\r\\nCorvalisD7.dpk(12)\\r\\n\" \"err:Fatal: File not found\\n\" "
                  "exit:1",
                  log),
              1);
    EXPECT_THAT(log.At(llDebug), ElementsAre("Borland Delphi Version 15.0", "CorvalisD7.dpk(12)"));
    EXPECT_THAT(log.At(llError), ElementsAre("Fatal: File not found"));
}

TEST_P(ProcessesContract, UnterminatedOutputIsLoggedOnceAfterTheEnd)
{
    RecordingLog log(Services().locale);
    Run("\"out:first\\nno line break\" \"err:partial error\"", log);
    EXPECT_THAT(log.At(llDebug), ElementsAre("first", "no line break"));
    EXPECT_THAT(log.At(llError), ElementsAre("partial error"));
}

TEST_P(ProcessesContract, CompleteLinesAreConvertedFromTheOemCodePageAndTheRestIsNot)
{
    RecordingLog log(Services().locale);
    // 0x82 is e acute in code page 437 and 0xE9 in code page 1252.
    Run("\"out:caf\\x82\\r\\ncaf\\x82\"", log);
    EXPECT_THAT(log.At(llDebug), ElementsAre("caf\xE9", "caf\x82"));
}

TEST_P(ProcessesContract, AProgramThatDoesNotExistYieldsMinusOneAndNoLine)
{
    RecordingLog log(Services().locale);
    EXPECT_EQ(RunProcess(Services().processes, Services().locale, log,
                         "\"" + Env().ScratchFolder() + "\\no such tool.exe\" x", Env().ScratchFolder()),
              -1);
    EXPECT_EQ(log.Count(), 0u);
}

TEST_P(ProcessesContract, TheChildRunsInTheWorkingFolder)
{
    const std::string folder = Env().ScratchFolder();
    RecordingLog log(Services().locale);
    ASSERT_EQ(RunProcess(Services().processes, Services().locale, log, Env().ChildCommand("pwd"), folder), 0);
    ASSERT_EQ(log.At(llDebug).size(), 1u);
    EXPECT_TRUE(Services().locale.SameText(log.At(llDebug)[0], folder)) << log.At(llDebug)[0];
}

TEST_P(ProcessesContract, SnapshotsShowThisProgramWithItsExecutable)
{
    auto processes = Services().processes.ProcessSnapshot();
    ASSERT_TRUE(processes.has_value());
    const auto self = std::find_if(processes->begin(), processes->end(),
                                   [&](const ProcessEntry& p) { return p.id == Env().SelfProcessId(); });
    ASSERT_NE(self, processes->end());
    EXPECT_TRUE(Services().locale.SameText(self->exeFile, ExtractFileName(Env().SelfPath()))) << self->exeFile;
    auto modules = Services().processes.ModuleSnapshot(self->id);
    ASSERT_TRUE(modules.has_value());
    EXPECT_TRUE(std::any_of(modules->begin(), modules->end(),
                            [&](const std::string& m) { return Services().locale.SameText(m, Env().SelfPath()); }));
}

TEST_P(ProcessesContract, TheEnvironmentTellsUndefinedFromEmpty)
{
    EXPECT_EQ(Services().processes.GetEnv("CORVALIS_SURELY_UNDEFINED"), std::nullopt);
    const auto path = Services().processes.GetEnv("PATH");
    ASSERT_TRUE(path.has_value());
    EXPECT_FALSE(path->empty());
    EXPECT_TRUE(Services().locale.SameText(Services().processes.ExecutablePath(), Env().SelfPath()));
}

} // namespace

CORVALIS_CONTRACT_SUITE(ProcessesContract);

} // namespace corvalis::testing
