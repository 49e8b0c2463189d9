#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fixtures/MemoryFixture.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ui/TargetRows.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;
using testing::Ide;
using testing::IdeFixture;
using ::testing::Optional;

class TargetRowsTest : public ::testing::Test {
protected:
    TTargetOptionsList& Load(const std::vector<IdeFixture>& fixtures, const testing::PackageFolder& package = {})
    {
        testing::PreparePackageFolder(machine, package);
        testing::MemoryFixtureFiles files(machine);
        for (const IdeFixture& fixture : fixtures)
            fixture.Install(machine.platform, files);
        options = std::make_unique<TCmdOptions>(std::vector<std::string>{}, machine.files, machine.console);
        data = std::make_unique<TInstallData>(machine.platform, *options, [](const std::string&) {});
        return *data->TargetOptions;
    }
    // The IDEs a walk of the IDE page's Next warns about; while the first warning is open the
    // user does what meanwhile does.
    using TWalk = void (*)(const TTargetOptionsList&, const TIdeWarning&);
    std::vector<std::string> Warned(
        TWalk walk, const std::function<void()>& meanwhile = [] {})
    {
        std::vector<std::string> names;
        walk(*data->TargetOptions, [&](TTargetOptions& o) {
            names.push_back(o.Target.DisplayName());
            if (names.size() == 1)
                meanwhile();
        });
        return names;
    }
    std::vector<std::string> Names(const std::vector<TTargetOptions*>& list)
    {
        std::vector<std::string> names;
        for (const TTargetOptions* o : list)
            names.push_back(o->Target.DisplayName());
        return names;
    }

    MemoryPlatform machine;
    std::unique_ptr<TCmdOptions> options;
    std::unique_ptr<TInstallData> data;
};

TEST_F(TargetRowsTest, RowsStartAsTheModeSays)
{
    TTargetOptions& o = Load({IdeFixture(Ide::Delphi7)})[0];
    const struct {
        TInstallMode mode;
        bool installed;
        bool threeState;
        TRowCheck check;
        TTargetAction action;
    } cases[] = {
        {imInstall, true, false, rcChecked, taInstall},
        {imInstall, false, false, rcChecked, taInstall},
        {imUpdate, true, false, rcChecked, taInstall},
        {imUpdate, false, false, rcUnchecked, taLeaveUnchanged},
        {imMaintenance, true, true, rcGrayed, taLeaveUnchanged},
        {imMaintenance, false, false, rcUnchecked, taLeaveUnchanged},
    };
    for (const auto& c : cases) {
        o.Installed = c.installed;
        o.Action = taLeaveUnchanged;
        const auto row = SetUpTargetRow(o, c.mode);
        ASSERT_TRUE(row.has_value());
        EXPECT_EQ(row->threeState, c.threeState) << int(c.mode) << c.installed;
        EXPECT_EQ(row->check, c.check) << int(c.mode) << c.installed;
        EXPECT_EQ(o.Action, c.action) << int(c.mode) << c.installed;
    }
    o.Target.VersionNumber = 4;
    o.Action = taInstall;
    EXPECT_EQ(SetUpTargetRow(o, imInstall), std::nullopt);
    EXPECT_EQ(o.Action, taLeaveUnchanged);
}

TEST_F(TargetRowsTest, AThreeStateRowCyclesThroughItsActions)
{
    TTargetOptions& o = Load({IdeFixture(Ide::Delphi7)})[0];
    o.Installed = true;
    std::vector<std::string> texts;
    TTargetRow row{true, rcGrayed};
    for (int click = 0; click < 4; ++click) {
        o.Action = ActionOfRow(row.check, o.Installed);
        texts.push_back(ActionText(imMaintenance, o, row));
        row.check = NextCheck(row);
    }
    EXPECT_THAT(texts,
                ElementsAre("Action: Do nothing", "Action: Reinstall", "Action: Uninstall", "Action: Do nothing"));
    EXPECT_EQ(o.Action, taLeaveUnchanged);
    EXPECT_EQ(NextCheck({false, rcUnchecked}), rcChecked);
    EXPECT_EQ(NextCheck({false, rcChecked}), rcUnchecked);
    EXPECT_EQ(ActionOfRow(rcUnchecked, true), taRemove);
    EXPECT_EQ(ActionOfRow(rcUnchecked, false), taLeaveUnchanged);
}

TEST_F(TargetRowsTest, ActionTextsFollowTheModeAndTheInstalledState)
{
    TTargetOptions& o = Load({IdeFixture(Ide::Delphi7)})[0];
    EXPECT_EQ(ActionText(imInstall, o, {false, rcChecked}), "Action: Install");
    EXPECT_EQ(ActionText(imInstall, o, {false, rcUnchecked}), "Action: Don't install");
    EXPECT_EQ(ActionText(imUpdate, o, {false, rcUnchecked}), "Action: Do nothing");
    EXPECT_EQ(ActionText(imMaintenance, o, {false, rcChecked}), "Action: Install");
    o.Installed = true;
    EXPECT_EQ(ActionText(imUpdate, o, {false, rcChecked}), "Action: Update");
    EXPECT_EQ(ActionText(imUpdate, o, {false, rcUnchecked}), "Action: Uninstall");
}

TEST_F(TargetRowsTest, TheFirstFailingCheckNamesTheProblem)
{
    TTargetOptionsList& list =
        Load({IdeFixture(Ide::Delphi7).WithoutDatabasePackage(), IdeFixture(Ide::Delphi6).WithoutCompiler(),
              IdeFixture(Ide::Delphi5), IdeFixture(Ide::Rad2010).WithEdition("Turbo").WithoutCompiler(),
              IdeFixture(Ide::Rad2007).WithOldCoreIdePackage()},
             {.withSources = false});
    // Discovery order: Delphi 5, 6, 7, then RAD Studio 2007 and 2010.
    EXPECT_EQ(TargetProblem(list[0]), std::nullopt);
    EXPECT_THAT(TargetProblem(list[1]),
                Optional(std::string("This IDE version has no dcc32.exe compiler.\rPlease reinstall your IDE in order "
                                     "to fix this problem.")));
    EXPECT_THAT(TargetProblem(list[2]),
                Optional(std::string("This IDE version has no support of databases. Corvalis can not be installed.")));
    EXPECT_THAT(TargetProblem(list[3]),
                Optional(std::string("You have to update your D2007 IDE version before installing Corvalis.\rPlease "
                                     "install Service Pack 1 for Delphi2007 and run the installer again.")));
    EXPECT_THAT(TargetProblem(list[4]),
                Optional(std::string("The \"Turbo\" IDE edition has no command-line Delphi compiler (dcc32.exe).\r"
                                     "Please download it from CodeGear site: https://www.halvorn.com/dcc32 "
                                     "and run the installer again.")));
    data->WithSources = true;
    EXPECT_EQ(TargetProblem(list[3]), std::nullopt);
}

TEST_F(TargetRowsTest, TheCompilationModeNeedsItsControlLibrary)
{
    TTargetOptions& o = Load({IdeFixture(Ide::Delphi7)})[0];
    const std::pair<TCompilationMode, const char*> cases[] = {
        {cmTnt, "You have selected compilation using TnT Unicode controls,\rbut this IDE have no Tnt Unicode controls "
                "installed."},
        {cmTMS, "You have selected compilation using TMS Unicode controls,\rbut this IDE have no TMS Unicode controls "
                "installed."},
        {cmDevExpress, "You have selected compilation using DevExpress controls,\rbut this IDE have no required "
                       "packages installed (ExpressEditors, ExpressPageControl, ExpressTreeList)."},
    };
    for (const auto& [mode, text] : cases) {
        data->CompilationMode = mode;
        EXPECT_THAT(TargetProblem(o), Optional(std::string(text)));
    }
    data->CompilationMode = cmStandard;
    EXPECT_EQ(TargetProblem(o), std::nullopt);
}

TEST_F(TargetRowsTest, TheIdePageAndItsWarningsFollowTheActions)
{
    TTargetOptionsList& list =
        Load({IdeFixture(Ide::Delphi7), IdeFixture(Ide::Rad2009).WithEdition("Turbo Delphi").WithoutCompiler(),
              IdeFixture(Ide::Rad2010)});
    EXPECT_FALSE(IdePageNextEnabled(imMaintenance, list));
    EXPECT_TRUE(IdePageNextEnabled(imInstall, list));
    EXPECT_FALSE(ConfigPageEnabled(list));
    list[1].Action = taInstall;
    list[2].Action = taInstall;
    EXPECT_TRUE(IdePageNextEnabled(imMaintenance, list));
    EXPECT_TRUE(ConfigPageEnabled(list));
    EXPECT_THAT(Warned(ForEachIdeLackingACompiler), ElementsAre("CodeGear RAD Studio 2009 (Turbo Delphi)"));
    EXPECT_THAT(Names(IdesToConfigure(list)),
                ElementsAre("Embarcadero RAD Studio 2010 (Architect)", "CodeGear RAD Studio 2009 (Turbo Delphi)"));

    machine.processes.AddRunningProcess("bds.exe", {list[2].Target.AppFile});
    machine.processes.AddRunningProcess("delphi32.exe", {list[0].Target.AppFile});
    EXPECT_THAT(Warned(ForEachRunningIde), ElementsAre("Embarcadero RAD Studio 2010 (Architect)"));
    EXPECT_EQ(IdeRunningMessage(list[2]),
              "Embarcadero RAD Studio 2010 (Architect) IDE is running. Please close it before continue.");
}

TEST_F(TargetRowsTest, EachWarningTestsItsIdeOnlyWhenTheWalkReachesIt)
{
    TTargetOptionsList& list = Load({IdeFixture(Ide::Rad2009).WithEdition("Turbo Delphi").WithoutCompiler(),
                                     IdeFixture(Ide::Rad2010).WithEdition("Turbo Delphi").WithoutCompiler()});
    for (int i = 0; i < list.Count(); ++i)
        list[i].Action = taInstall;
    const auto placeTheLaterCompiler = [&] { machine.files.AddFile(list[1].Target.Dcc32File()); };
    EXPECT_THAT(Warned(ForEachIdeLackingACompiler, placeTheLaterCompiler),
                ElementsAre("CodeGear RAD Studio 2009 (Turbo Delphi)"));

    for (int i = 0; i < list.Count(); ++i)
        machine.processes.AddRunningProcess("bds.exe", {list[i].Target.AppFile});
    EXPECT_THAT(Warned(ForEachRunningIde), ::testing::SizeIs(2));
    // Both IDEs closed while the first box is open: the second is no longer seen.
    const auto closeTheIdes = [&] { machine.processes.FailSnapshots(true); };
    EXPECT_THAT(Warned(ForEachRunningIde, closeTheIdes), ::testing::SizeIs(1));
}

} // namespace
} // namespace corvalis
