#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "core/InstallData.h"
#include "engine/Compile.h"
#include "ide/CmdLineUtils.h"
#include "ide/TargetOptions.h"
#include "native/InstallerMachine.h"
#include "run/ExitCode.h"
#include "run/InstallationRun.h"
#include "run/SetupLog.h"
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

using RunResult = std::tuple<int, std::vector<std::string>, std::vector<std::string>>;

// One silent run with the jobs given: the exit code, the log's lines printed (which setup.log
// holds) and the registry and files.
RunResult Silent(testing::InstallerMachine& installer, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "--silent");
    const size_t earlier = installer.machine.console.Lines().size();
    const int exitCode = RunUnattended(installer.Start(arguments), installer.machine.platform);
    // The compiler's own time differs from run to run, and side by side the steps are
    // counted as the IDEs take them.
    std::vector<std::string> printed(installer.machine.console.Lines().begin() + earlier,
                                     installer.machine.console.Lines().end());
    std::erase_if(printed,
                  [](const std::string& line) { return line.ends_with(" seconds.") || line.starts_with("step "); });
    std::vector<std::string> state = installer.State("C:\\Downloads");
    std::erase_if(state, [](const std::string& entry) { return entry.find("\\setup.log=") != std::string::npos; });
    return {exitCode, printed, state};
}

std::unique_ptr<testing::InstallerMachine> FourIdes()
{
    auto installer = std::make_unique<testing::InstallerMachine>();
    for (Ide ide : {Ide::Delphi5, Ide::Delphi6, Ide::Delphi7, Ide::CBuilder6})
        installer->Install(testing::IdeFixture(ide));
    return installer;
}

RunResult Install(const char* jobs, testing::ToolEndOrder* order, const std::string& failing)
{
    const auto installer = FourIdes();
    installer->machine.processes.SetEnv("CORVALIS_DCC32_FAIL", failing);
    if (order)
        installer->machine.processes.SetEndGate(std::ref(*order));
    return Silent(*installer, {jobs});
}

// Whatever order the IDEs' tools end in, and with one IDE's compiler failing while the
// others build, the installation side by side prints and leaves what one made an IDE after
// another does: each IDE's lines one block, in the same order.
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

// Installed into all four, updated, changed to two of them and uninstalled: side by side,
// each run prints and leaves what it does one IDE after another.
TEST(SideBySideTest, EveryModeSideBySideLeavesWhatOneAfterAnotherLeaves)
{
    const std::vector<std::string> runs[] = {
        {}, {"--autoupdate"}, {"--ides=Delphi5,CBuilder6"}, {"--uninstall"}};
    const auto sequential = FourIdes();
    const auto sideBySide = FourIdes();
    for (const auto& arguments : runs) {
        SCOPED_TRACE(arguments.empty() ? "installation" : arguments.front());
        if (arguments == runs[1])
            for (const auto& machine : {sequential.get(), sideBySide.get()})
                machine->machine.files.WriteFile(std::string(testing::InstallerMachine::kPackageFolder) + "\\version",
                                                 "2.1.0.0 Standard Edition With Sources");
        std::vector<std::string> withJobs = arguments;
        withJobs.push_back("--jobs=1");
        const RunResult expected = Silent(*sequential, withJobs);
        EXPECT_EQ(std::get<0>(expected), ecDone);
        withJobs.back() = "--jobs=4";
        EXPECT_EQ(Silent(*sideBySide, withJobs), expected);
    }
}

// The compile page's side of a run: what it was shown, in order.
class PageView : public IInstallationRunView {
public:
    explicit PageView(const ILocale& locale) : log(locale) {}
    void LogMessage(TLogBase&, TLogLevel level, const std::u16string& text, DateTime time) override
    {
        Add(log.Add(level, text, time).text);
    }
    void ShowSetupLog(const std::optional<std::string>&) override {}
    void RunSucceeded() override {}
    void ShowProgress(int done, int total) override { Add(FormatStepCount(done, total)); }
    void ShowIdesAtWork(const std::vector<TIdeAtWork>& ides) override { Add("at work: " + FormatIdesAtWork(ides)); }
    // Holds a tool until the page has shown this, for a minute at most.
    void WaitFor(const std::string& text)
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::minutes(1), [&] { return std::ranges::count(history, text) > 0; });
    }

    TProgressLog log;
    std::vector<std::string> history;

private:
    void Add(std::string text)
    {
        const std::lock_guard lock(mutex_);
        history.push_back(std::move(text));
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
};

// While C++Builder 6, whose lines come first, holds its first tool, the other IDEs end: the
// page says so and the bar counts their steps before it shows any IDE's lines, and once all
// are shown, the progress line is the latest line again.
TEST(SideBySideTest, ThePageShowsWhichIdesAreAtWhichStep)
{
    testing::InstallerMachine installer;
    for (Ide ide : {Ide::Delphi5, Ide::Delphi6, Ide::Delphi7, Ide::CBuilder6})
        installer.Install(testing::IdeFixture(ide));
    TInstallData& data = installer.Start({"--jobs=4"});
    for (int i = 0; i < data.TargetOptions->Count(); ++i)
        (*data.TargetOptions)[i].Action = taInstall;
    PageView page(installer.machine.locale);
    const std::string othersDone = "at work: C++Builder 6.0: step 1 of 7; Delphi 7.0: done; Delphi 6.0: done; Delphi 5.0: done";
    bool held = false;
    installer.machine.processes.SetEndGate([&](const std::string& commandLine) {
        if (commandLine.find("C6.") != std::string::npos && !std::exchange(held, true))
            page.WaitFor(othersDone);
    });
    RunInstallation(data, installer.machine.platform, page.log, page);

    const auto at = std::ranges::find(page.history, othersDone);
    ASSERT_NE(at, page.history.end());
    const auto isSteps = [](const std::string& shown) { return shown.starts_with("step "); };
    EXPECT_EQ(*std::find_if(std::make_reverse_iterator(at), page.history.rend(), isSteps), "step 23 of 29");
    const auto isIdeLine = [](const std::string& shown) { return shown.starts_with("Compiling for:"); };
    EXPECT_EQ(std::find_if(page.history.begin(), at, isIdeLine), at);
    const auto isAtWork = [](const std::string& shown) { return shown.starts_with("at work: "); };
    EXPECT_EQ(*std::find_if(page.history.rbegin(), page.history.rend(), isAtWork), "at work: ");
    EXPECT_EQ(*std::find_if(page.history.rbegin(), page.history.rend(), isSteps), "step 29 of 29");
}

} // namespace
} // namespace corvalis
