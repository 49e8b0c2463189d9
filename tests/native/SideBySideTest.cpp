#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/Compile.h"
#include "ide/CmdLineUtils.h"
#include "native/InstallerMachine.h"
#include "run/ExitCode.h"
#include "unattended/Unattended.h"

namespace corvalis {
namespace {

using testing::Ide;

TEST(SideBySideTest, JobsAreTheOptionOrOnePerProcessorAtMostOnePerIde)
{
    // --jobs= as given, processors, IDEs; IDEs worked on at once.
    const std::tuple<std::string, unsigned, size_t, int> cases[] = {
        {"", 2, 4, 2}, {"", 8, 4, 4}, {"", 0, 4, 1}, {"1", 8, 4, 1}, {"3", 1, 4, 3}, {"64", 2, 3, 3}, {"", 4, 0, 1}};
    for (const auto& [jobs, processors, ides, expected] : cases)
        EXPECT_EQ(JobCount(*ParseJobs(jobs), processors, ides), expected) << jobs << " " << processors << " " << ides;
    for (const char* invalid : {"0", "65", "-1", "two", "2 ", "100"})
        EXPECT_EQ(ParseJobs(invalid), std::nullopt) << invalid;
}

// Delphi 5, 6 and 7 and C++Builder 6 installed into: the exit code, what was printed (the
// log's lines, which setup.log holds, and the step counts) and the registry and files.
std::tuple<int, std::vector<std::string>, std::vector<std::string>>
Install(const char* jobs, testing::ToolEndOrder* order, const std::string& failing)
{
    testing::InstallerMachine installer;
    for (Ide ide : {Ide::Delphi5, Ide::Delphi6, Ide::Delphi7, Ide::CBuilder6})
        installer.Install(testing::IdeFixture(ide));
    installer.machine.processes.SetEnv("CORVALIS_DCC32_FAIL", failing);
    if (order)
        installer.machine.processes.SetEndGate(std::ref(*order));
    const int exitCode = RunUnattended(installer.Start({"--silent", jobs}), installer.machine.platform);
    // The compiler's own time differs from run to run.
    std::vector<std::string> printed = installer.machine.console.Lines();
    std::erase_if(printed, [](const std::string& line) { return line.ends_with(" seconds."); });
    std::vector<std::string> state = installer.State("C:\\Downloads");
    std::erase_if(state, [](const std::string& entry) { return entry.find("\\setup.log=") != std::string::npos; });
    return {exitCode, printed, state};
}

// Whatever order the IDEs' tools end in, and with one IDE's compiler failing while the
// others build, the run side by side prints, counts and leaves what the run one IDE after
// another does: each IDE's lines one block, in the same order, the same steps.
TEST(SideBySideTest, IdesSideBySideLeaveWhatOneAfterAnotherLeaves)
{
    const std::tuple<std::vector<std::string>, std::string, int> cases[] = {
        {{"D5.", "D6.", "D7.", "C6."}, "", ecDone},
        {{"C6.", "D7.", "D6.", "D5."}, "", ecDone},
        {{"D6.", "C6.", "D5.", "D7."}, "CorvalisDsgnD6.dpk", ecErrors}};
    for (const auto& [order, failing, exitCode] : cases) {
        SCOPED_TRACE(order.front() + " first, failing: " + failing);
        testing::ToolEndOrder ends(order);
        const auto sequential = Install("--jobs=1", nullptr, failing);
        EXPECT_EQ(std::get<0>(sequential), exitCode);
        EXPECT_EQ(Install("--jobs=4", &ends, failing), sequential);
        EXPECT_FALSE(ends.NeverTogether());
    }
}

} // namespace
} // namespace corvalis
