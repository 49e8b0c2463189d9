#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/SetupLog.h"
#include "core/Unattended.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "native/InstallerMachine.h"

namespace corvalis {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;
using ::testing::IsEmpty;

TEST(UnattendedFolders, OnlyFullPathsAndGroupsBelowTheProgramsMenuPass)
{
    for (const char* folder : {"C:\\Program Files\\Halvorn\\Corvalis", "D:\\Libs\\", "\\\\build\\tools\\Corvalis"})
        EXPECT_EQ(InstallDirProblem(folder), std::nullopt) << folder;
    const struct {
        const char* folder;
        const char* problem;
    } badFolders[] = {
        {"Corvalis", "must be a full path"},   {"\\Corvalis", "must be a full path"},
        {"C:Corvalis", "must be a full path"}, {"C:\\", "root of a drive"},
        {"C:\\My \"Libs\"", "double quote"},   {"C:\\Libs|x", "does not allow"},
        {"C:\\Libs\\a:b", "does not allow"},   {"C:\\Libs\\\tTab", "does not allow"},
    };
    for (const auto& bad : badFolders)
        EXPECT_THAT(InstallDirProblem(bad.folder).value_or(""), HasSubstr(bad.problem)) << bad.folder;

    for (const char* group : {"Halvorn\\Corvalis VCL Edition", "Accessories", "Tools 2.0"})
        EXPECT_EQ(StartFolderProblem(group), std::nullopt) << group;
    for (const char* group :
         {"..\\Startup", "Halvorn\\.", "Halvorn\\...", "\\Halvorn", "Halvorn\\", "a\"b", "C:\\Menu", "a*"})
        EXPECT_NE(StartFolderProblem(group), std::nullopt) << group;
}

// The unattended path on a machine in memory: Delphi 6 without its compiler, Delphi 7 and
// RAD Studio 2007, listed in that order.
class UnattendedTest : public ::testing::Test {
protected:
    UnattendedTest()
    {
        installer.Install(IdeFixture(Ide::Delphi6).WithoutCompiler());
        installer.Install(IdeFixture(Ide::Delphi7));
        installer.Install(IdeFixture(Ide::Rad2007));
    }

    int Run(const std::vector<std::string>& arguments)
    {
        return RunUnattended(installer.Start(arguments), installer.machine.platform);
    }
    // Each IDE's Action after the decision, or the refusal's reason.
    std::string Decide(const std::vector<std::string>& arguments)
    {
        TInstallData& data = installer.Start(arguments);
        try {
            DecideUnattendedRun(data);
        } catch (const TRefusal& refusal) {
            return refusal.Message();
        }
        std::string actions;
        for (int i = 0; i < data.TargetOptions->Count(); ++i)
            actions += "ilr"[(*data.TargetOptions)[i].Action];
        return actions;
    }
    MemoryConsole& console() { return installer.machine.console; }

    testing::InstallerMachine installer;
};

TEST_F(UnattendedTest, ChoicesBecomeActionsOrARefusalBeforeAnyChange)
{
    // i install, l leave unchanged, r remove; per IDE: Delphi 6, Delphi 7, RAD Studio 2007.
    const struct {
        bool delphi7Installed;
        std::vector<std::string> arguments;
        std::string expected;
    } cases[] = {
        {false, {}, "lii"},
        {false, {"--ides=all"}, "lii"},
        {false, {"--ides= delphi7 ,"}, "lil"},
        {false, {"--ides=Delphi6"}, "Delphi 6.0 (Enterprise): This IDE version has no dcc32.exe compiler. Please"},
        {false, {"--ides=Delphi9"}, "Unknown IDE \"Delphi9\": the IDEs found are Delphi6, Delphi7, Delphi2007."},
        {false, {"--ides=Delphi7", "--compilation-mode=tnt"}, "using TnT Unicode controls"},
        {false, {"--compilation-mode=Fast"}, "Unknown compilation mode \"Fast\""},
        {false, {"--dir=Corvalis"}, "must be a full path"},
        {false, {"--group=..\\Startup"}, "below the Programs menu"},
        {false, {"--uninstall"}, "Corvalis is not installed: there is nothing to uninstall."},
        {false, {"--autoupdate"}, "Corvalis is not installed: there is nothing to update."},
        {true, {}, "lii"},
        {true, {"--ides=Delphi2007"}, "lri"},
        {true, {"--autoupdate"}, "lil"},
        {true, {"--uninstall"}, "lrl"},
        {true, {"--autoupdate", "--ides=all"}, "--autoupdate cannot be combined with --uninstall or --ides=."},
    };
    for (const auto& c : cases) {
        installer.machine.registry.DeleteKey(RootKey::LocalMachine, ProductKey);
        if (c.delphi7Installed) {
            ASSERT_EQ(Run({"--ides=Delphi7"}), ecDone);
        }
        const std::string decided = Decide(c.arguments);
        // Three letters are the actions; anything longer is a refusal's reason.
        if (c.expected.size() == 3) {
            EXPECT_EQ(decided, c.expected) << ::testing::PrintToString(c.arguments);
        } else {
            EXPECT_THAT(decided, HasSubstr(c.expected)) << ::testing::PrintToString(c.arguments);
        }
    }
}

TEST_F(UnattendedTest, ARunningIdeRefusesTheRunUnlessIgnoredAndIsThenLogged)
{
    TInstallData& data = installer.Start();
    installer.machine.processes.AddRunningProcess("delphi32.exe", {(*data.TargetOptions)[1].Target.AppFile});
    EXPECT_EQ(Run({"--ides=Delphi7,Delphi2007"}), ecRefused);
    EXPECT_THAT(console().Errors(),
                ElementsAre("Delphi 7.0 (Enterprise) IDE is running. Please close it before continue."));
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
    EXPECT_THAT(console().Lines(), IsEmpty());

    EXPECT_EQ(Run({"--ides=Delphi7,Delphi2007", "--ignore-ide"}), ecDone);
    EXPECT_THAT(console().Lines(),
                Contains(EndsWith("Warning]Delphi 7.0 (Enterprise) IDE is running. Please close it before continue.")));
}

TEST_F(UnattendedTest, ASilentRunPrintsTheSetupLogAndCopiesItWhereAsked)
{
    ASSERT_EQ(Run({"--silent", "--dir=C:\\Libs\\Corvalis\\", "--group=Tools\\Corvalis", "--log=C:\\Logs\\install.log"}),
              ecDone);
    const std::string setupLog = *installer.machine.files.ReadFile("C:\\Libs\\Corvalis\\setup.log");
    std::string printed;
    for (const std::string& line : console().Lines())
        if (!StartsText("step ", line))
            printed += line + "\r\n";
    EXPECT_EQ(printed, setupLog);
    // The steps from none to all of them.
    std::vector<std::string> steps;
    std::copy_if(console().Lines().begin(), console().Lines().end(), std::back_inserter(steps),
                 [](const std::string& line) { return StartsText("step ", line); });
    ASSERT_FALSE(steps.empty());
    const std::string total = steps.front().substr(steps.front().rfind(' ') + 1);
    EXPECT_EQ(steps.front(), "step 0 of " + total);
    EXPECT_EQ(steps.back(), "step " + total + " of " + total);
    EXPECT_EQ(installer.machine.files.ReadFile("C:\\Logs\\install.log"), setupLog);
    EXPECT_THAT(setupLog,
                AllOf(HasSubstr("Compiling for:Delphi 7.0 (Enterprise)"), EndsWith("Installation completed\r\n")));
    EXPECT_TRUE(installer.machine.files.DirectoryExists(installer.Data().ProgramsFolder + "\\Tools\\Corvalis"));
    EXPECT_TRUE(installer.machine.shell.Opened().empty()) << "a silent run opens no window";

    // Asked again, the folder of an installed product is kept.
    ASSERT_EQ(Run({"--silent", "--dir=C:\\Elsewhere", "--uninstall", "--log=C:\\Logs\\uninstall.log"}), ecDone);
    EXPECT_FALSE(installer.machine.files.FileExists("C:\\Libs\\Corvalis\\Delphi7\\CorvalisD7.bpl"));
    EXPECT_THAT(*installer.machine.files.ReadFile("C:\\Logs\\uninstall.log"),
                AllOf(HasSubstr("Warning]--dir=C:\\Elsewhere is ignored: Corvalis is installed in C:\\Libs\\Corvalis."),
                      EndsWith("Uninstall completed\r\n")));
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
}

TEST_F(UnattendedTest, TheExitCodeTellsErrorsAndFailures)
{
    installer.machine.processes.SetEnv("CORVALIS_DCC32_FAIL", "CorvalisDsgnD7.dpk");
    EXPECT_EQ(Run({"--ides=Delphi7"}), ecErrors);
    installer.machine.processes.SetEnv("CORVALIS_DCC32_FAIL", "");
    installer.machine.files.DeleteFile(std::string(testing::InstallerMachine::kPackageFolder) + "\\data.arc");
    installer.machine.registry.DeleteKey(RootKey::LocalMachine, ProductKey);
    EXPECT_EQ(Run({"--ides=Delphi7"}), ecFailed);
    EXPECT_THAT(console().Errors(), ElementsAre("File not exists:\"data.arc\". Invalid installer package."));
}

TEST_F(UnattendedTest, TheListingNamesEachIdeWithItsStateAndProblem)
{
    ASSERT_EQ(Run({"--ides=Delphi7"}), ecDone);
    EXPECT_THAT(IdeListing(installer.Start()),
                ElementsAre("Delphi6       not installed  Delphi 6.0 (Enterprise): This IDE version has no dcc32.exe "
                            "compiler. Please reinstall your IDE in order to fix this problem.",
                            "Delphi7       installed      Delphi 7.0 (Enterprise)",
                            "Delphi2007    not installed  CodeGear RAD Studio 2007 ()"));
}

} // namespace
} // namespace corvalis
