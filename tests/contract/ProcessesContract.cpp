#include <algorithm>

#include "contract/ServiceEnvironment.h"
#include "ide/Utils.h"
#include "log/uLogger.h"

namespace corvalis::testing {
namespace {

class ProcessesContract : public ContractTest {
protected:
    void SetUp() override
    {
        ContractTest::SetUp();
        folder_ = Env().ScratchFolder();
    }
    // Runs the command: its exit code, then the logged lines of standard output ("D text"), then
    // those of standard error ("E text"), in UTF-8. The two pipes are read one
    // after the other, so only the order within each is fixed.
    std::vector<std::string> Run(const std::string& commandLine)
    {
        TLogToList log(Services().locale);
        std::vector<std::string> result{std::to_string(
            RunProcess(Services().processes, Services().locale, log, commandLine, folder_))};
        for (const TLogMessage& line : log.Messages)
            result.push_back((line.Level == llError ? "E " : "D ") + Utf16ToUtf8(line.Text));
        std::stable_partition(result.begin() + 1, result.end(), [](const std::string& l) { return l[0] == 'D'; });
        return result;
    }

    std::string folder_;
};

TEST_P(ProcessesContract, ToolsYieldTheirExitCodeAndTheirOutputLineByLine)
{
    const struct {
        std::string actions;
        std::vector<std::string> result;
    } cases[] = {
        {"", {"0"}},
        {"exit:9", {"9"}},
        {"\"out:Borland Delphi Version 15.0\\r\\nCorvalisD7.dpk(12)\\r\\n\" \"err:Fatal: File not found\\n\" exit:1",
         {"1", "D Borland Delphi Version 15.0", "D CorvalisD7.dpk(12)", "E Fatal: File not found"}},
        // Unterminated output is logged once, after the end.
        {"\"out:first\\nno line break\" \"err:partial error\"", {"0", "D first", "D no line break", "E partial error"}},
        // Complete lines come from the OEM code page (0x82: e acute in 437), the rest from the
        // system code page (0x82: a low quotation mark in 1252).
        {"\"out:caf\\x82\\r\\ncaf\\x82\"", {"0", "D caf\xC3\xA9", "D caf\xE2\x80\x9A"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Run(Env().ChildCommand(c.actions)), c.result) << c.actions;
    EXPECT_EQ(Run("\"" + folder_ + "\\no such tool.exe\" x"), std::vector<std::string>{"-1"});
}

TEST_P(ProcessesContract, TheChildRunsInTheWorkingFolder)
{
    const auto result = Run(Env().ChildCommand("pwd"));
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result[0], "0");
    EXPECT_TRUE(Services().locale.SameText(result[1], "D " + folder_)) << result[1];
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
    EXPECT_FALSE(Services().processes.GetEnv("PATH").value_or("").empty());
    EXPECT_TRUE(Services().locale.SameText(Services().processes.ExecutablePath(), Env().SelfPath()));
}

} // namespace

CORVALIS_CONTRACT_SUITE(ProcessesContract);

} // namespace corvalis::testing
