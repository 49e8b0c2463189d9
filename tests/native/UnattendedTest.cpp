#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "fixtures/RegistrySnapshot.h"
#include "native/InstallerMachine.h"
#include "run/CommandLineChoices.h"
#include "run/SetupLog.h"
#include "unattended/Unattended.h"

namespace corvalis {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;

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

    testing::InstallerMachine installer;
    MemoryConsole& console = installer.machine.console;
};

TEST_F(UnattendedTest, ChoicesBecomeActionsOrARefusalBeforeAnyChange)
{
    // Per IDE (Delphi 6, Delphi 7, RAD Studio 2007): install, leave unchanged or remove; else the refusal.
    const std::tuple<bool, std::vector<std::string>, std::string> cases[] = {
        {false, {}, "lii"},
        {false, {"--ides=all"}, "lii"},
        {false, {"--ides= delphi7 ,"}, "lil"},
        {false, {"--ides=Delphi6"}, "Delphi 6.0 (Enterprise): This IDE version has no dcc32.exe compiler. Please"},
        {false, {"--ides=Delphi9"}, "Unknown IDE \"Delphi9\": the IDEs found are Delphi6, Delphi7, Delphi2007."},
        {false, {"--ides=Delphi7", "--compilation-mode=tnt"}, "using TnT Unicode controls"},
        {false, {"--compilation-mode=Fast"}, "Unknown compilation mode \"Fast\""},
        {false, {"--dir=C:\\Tools\\.."}, "cannot be the root of a drive"},
        {false, {"--ides="}, "--ides= needs a value"},
        {false, {"--uninstall"}, "Corvalis is not installed: there is nothing to uninstall."},
        {false, {"--autoupdate"}, "Corvalis is not installed: there is nothing to update."},
        {true, {}, "lii"},
        {true, {"--ides=Delphi2007"}, "lri"},
        {true, {"--autoupdate"}, "lil"},
        {true, {"--uninstall"}, "lrl"},
        {true, {"--uninstall", "--group=Tools\\CON"}, "which Windows reserves for a device"},
        {true, {"--autoupdate", "--compilation-mode="}, "--compilation-mode= needs a value"},
        {true, {"--autoupdate", "--ides=all"}, "--autoupdate cannot be combined with --uninstall or --ides=."},
    };
    for (const auto& [delphi7Installed, arguments, expected] : cases) {
        installer.machine.registry.DeleteKey(RootKey::LocalMachine, ProductKey);
        if (delphi7Installed) {
            ASSERT_EQ(Run({"--ides=Delphi7"}), ecDone);
        }
        TInstallData& data = installer.Start(arguments);
        std::string decided;
        try {
            DecideUnattendedRun(data, installer.machine.platform);
            for (int i = 0; i < data.TargetOptions->Count(); ++i)
                decided += "ilr"[(*data.TargetOptions)[i].Action];
        } catch (const TRefusal& refusal) {
            decided = refusal.Message();
        }
        EXPECT_TRUE(expected.size() == 3 ? decided == expected : decided.find(expected) != std::string::npos)
            << ::testing::PrintToString(arguments) << ": " << decided;
    }
}

TEST_F(UnattendedTest, ARunningIdeRefusesTheRunUnlessIgnoredAndIsThenLogged)
{
    installer.machine.processes.AddRunningProcess("delphi32.exe",
                                                  {(*installer.Start().TargetOptions)[1].Target.AppFile});
    const std::string running = "Delphi 7.0 (Enterprise) IDE is running. Please close it before continue.";
    EXPECT_EQ(Run({"--ides=Delphi7,Delphi2007"}), ecRefused);
    EXPECT_THAT(console.Errors(), ElementsAre(running));
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
    EXPECT_THAT(console.Lines(), ::testing::IsEmpty());
    EXPECT_EQ(Run({"--ides=Delphi7,Delphi2007", "--ignore-ide"}), ecDone);
    EXPECT_THAT(console.Lines(), ::testing::Contains(EndsWith("Warning]" + running)));
}

TEST_F(UnattendedTest, ARunPrintsTheSetupLogWithItsStepsAndCopiesItWhereAsked)
{
    ASSERT_EQ(Run({"--silent", "--dir=C:/Libs/Tools/../Corvalis/", "--group=Tools\\Corvalis",
                   "--log=C:\\Logs\\install.log"}),
              ecDone);
    const std::string setupLog = *installer.machine.files.ReadFile("C:\\Libs\\Corvalis\\setup.log");
    std::string printed, steps;
    for (const std::string& line : console.Lines())
        (StartsText("step ", line) ? steps : printed) += line + "\r\n";
    EXPECT_EQ(printed, setupLog);
    const std::string total = steps.substr(10, steps.find('\r') - 10);
    EXPECT_THAT(steps, AllOf(::testing::StartsWith("step 0 of " + total + "\r\n"),
                             EndsWith("step " + total + " of " + total + "\r\n")));
    EXPECT_EQ(installer.machine.files.ReadFile("C:\\Logs\\install.log"), setupLog);
    EXPECT_THAT(setupLog,
                AllOf(HasSubstr("Compiling for:Delphi 7.0 (Enterprise)"), EndsWith("Installation completed\r\n")));
    EXPECT_TRUE(installer.machine.files.DirectoryExists(installer.Data().ProgramsFolder + "\\Tools\\Corvalis"));
}

TEST_F(UnattendedTest, TheExitCodeTellsFailuresAndErrorsAndAnUpdateThatCannotExtractIsRefused)
{
    MemoryProcesses& processes = installer.machine.processes;
    processes.SetEnv("CORVALIS_UNRAR_EXIT", "2");
    EXPECT_EQ(Run({"--ides=Delphi7"}), ecFailed);
    processes.SetEnv("CORVALIS_UNRAR_EXIT", "");
    processes.SetEnv("CORVALIS_DCC32_FAIL", "CorvalisDsgnD7.dpk");
    EXPECT_EQ(Run({"--ides=Delphi7"}), ecErrors);
    const std::string package = testing::InstallerMachine::kPackageFolder;
    installer.machine.files.WriteFile(package + "\\version", "2.1.0.0 Standard Edition With Sources");
    installer.machine.files.DeleteFile(package + "\\unrar.exe");
    const auto installed = testing::SnapshotKey(installer.machine.registry, RootKey::LocalMachine, ProductKey);
    EXPECT_EQ(Run({"--autoupdate"}), ecRefused);
    EXPECT_EQ(console.Errors().back(), "File not exists:\"unrar.exe\". Invalid installer package.");
    EXPECT_EQ(testing::SnapshotKey(installer.machine.registry, RootKey::LocalMachine, ProductKey), installed);
}

TEST_F(UnattendedTest, TheLogCopyIsOpenedBeforeTheRunAndAnUninstallDoesNotMakeItsFolderAgain)
{
    installer.machine.files.AddFile("C:\\Logs", "a file where the folder belongs");
    EXPECT_EQ(Run({"--log=C:\\Logs\\install.log"}), ecRefused);
    EXPECT_THAT(console.Errors().back(), ::testing::StartsWith("The log file C:\\Logs\\install.log cannot be written: "));
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
    ASSERT_EQ(Run({"--ides=Delphi7"}), ecDone);
    const std::string help = installer.Data().InstallDir + "\\Help";
    EXPECT_EQ(Run({"--uninstall", "--log=" + help + "\\uninstall.log"}), ecDone);
    EXPECT_FALSE(installer.machine.files.DirectoryExists(help));
    EXPECT_THAT(console.Lines(), ::testing::Contains(EndsWith("Warning]The log could not be written to " + help +
                                                             "\\uninstall.log. The folder " + help +
                                                             " no longer exists.")));
}

} // namespace
} // namespace corvalis
