#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "core/InstallationRun.h"
#include "core/ProgressPlan.h"
#include "core/SetupLog.h"
#include "ide/TargetOptions.h"
#include "native/InstallerMachine.h"

namespace corvalis {
namespace {

using testing::Ide;
using testing::IdeFixture;
using testing::InstallerMachine;

// The bar as the compile page gets it.
class ProgressView : public IInstallationRunView {
public:
    explicit ProgressView(const ILocale& locale) : log(locale) {}
    void LogMessage(TLogBase&, TLogLevel level, const std::u16string& text, DateTime time) override
    {
        if (log.Add(level, text, time).error)
            errorAt = steps.empty() ? -1 : steps.back().first;
    }
    void ShowSetupLog(const std::optional<std::string>&) override {}
    void RunSucceeded() override {}
    void ShowProgress(int done, int total) override { steps.emplace_back(done, total); }

    TProgressLog log;
    std::vector<std::pair<int, int>> steps;
    int errorAt = -2; // the steps done when the last error line came
};

// The actions per IDE, in the order of the targets.
void Choose(TInstallData& data, const std::vector<TTargetAction>& actions)
{
    for (size_t i = 0; i < actions.size(); ++i)
        (*data.TargetOptions)[static_cast<int>(i)].Action = actions[i];
}

void RunWith(InstallerMachine& installer, TInstallData& data, ProgressView& view,
             const std::vector<TTargetAction>& actions)
{
    Choose(data, actions);
    RunInstallation(data, installer.machine.platform, view.log, view);
}

struct PlanCase {
    const char* name;
    TInstallMode mode;
    // The product is installed first into the IDEs marked taInstall here, for every mode
    // but a fresh installation.
    std::vector<TTargetAction> before;
    std::vector<TTargetAction> actions;
    int total;
};

// Delphi 7 and Delphi 6 build 4 connectivity packages each of the sample product: an IDE to
// install into takes its removal, 2 core packages and those; one to remove takes 1 step; the
// product's files take 1 to extract and 1 to remove.
TEST(TProgressPlan, EveryModeCountsItsStepsAndTheBarGoesFromEmptyToFull)
{
    const PlanCase cases[] = {
        {"installation into one of two IDEs", imInstall, {}, {taInstall, taLeaveUnchanged}, 1 + 7},
        {"installation into both", imInstall, {}, {taInstall, taInstall}, 1 + 7 + 7},
        {"one added, one removed", imMaintenance, {taInstall, taLeaveUnchanged}, {taRemove, taInstall}, 1 + 7},
        {"update, one left out", imUpdate, {taInstall, taInstall}, {taInstall, taLeaveUnchanged}, 2 + 1 + 1 + 7},
        {"uninstall", imUninstall, {taInstall, taInstall}, {}, 2 + 1},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine installer;
        installer.Install(IdeFixture(Ide::Delphi7));
        installer.Install(IdeFixture(Ide::Delphi6));
        if (c.mode != imInstall) {
            ProgressView first(installer.machine.locale);
            RunWith(installer, installer.Start(), first, c.before);
        }
        if (c.mode == imUpdate)
            installer.machine.files.WriteFile(std::string(InstallerMachine::kPackageFolder) + "\\version",
                                              "2.1.0.0 Standard Edition With Sources");
        TInstallData& data = installer.Start();
        if (c.mode == imUninstall)
            data.Mode = imUninstall;
        ASSERT_EQ(data.Mode, c.mode);
        Choose(data, c.actions);
        EXPECT_EQ(TProgressPlan(data).Total(), c.total);

        ProgressView view(installer.machine.locale);
        RunWith(installer, data, view, c.actions);
        ASSERT_FALSE(view.steps.empty());
        EXPECT_EQ(view.steps.front(), std::make_pair(0, c.total));
        for (size_t i = 1; i < view.steps.size(); ++i)
            EXPECT_EQ(view.steps[i], std::make_pair(view.steps[i - 1].first + 1, c.total));
        EXPECT_EQ(view.steps.back(), std::make_pair(c.total, c.total));
        EXPECT_FALSE(view.log.HasErrors());
    }
}

TEST(TProgressPlan, AnIdeThatFailsHalfWayHasItsSkippedStepsCountedAndTheBarEndsFull)
{
    InstallerMachine installer;
    installer.Install(IdeFixture(Ide::Delphi7));
    installer.Install(IdeFixture(Ide::Delphi6));
    installer.machine.processes.SetEnv("CORVALIS_DCC32_FAIL", "CorvalisDsgnD7.dpk");
    ProgressView view(installer.machine.locale);
    RunWith(installer, installer.Start(), view, {taInstall, taInstall});
    EXPECT_TRUE(view.log.HasErrors());
    // Delphi 7 goes first and fails at its second package, after its removal and one package:
    // its 5 remaining steps are passed over at once, and Delphi 6 goes on from there.
    EXPECT_EQ(view.errorAt, 1 + 2);
    EXPECT_EQ(view.steps.back(), std::make_pair(1 + 7 + 7, 1 + 7 + 7));
    const auto jump = std::adjacent_find(view.steps.begin(), view.steps.end(),
                                         [](const auto& a, const auto& b) { return b.first - a.first > 1; });
    ASSERT_NE(jump, view.steps.end());
    EXPECT_EQ(*std::next(jump), std::make_pair(1 + 7, 1 + 7 + 7));
}

TEST(TProgressPlan, TheStepCountReadsAsASentence)
{
    EXPECT_EQ(FormatStepCount(12, 57), "step 12 of 57");
}

} // namespace
} // namespace corvalis
