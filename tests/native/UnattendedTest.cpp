#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
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
    // Corvalis not installed ('-'), installed into Delphi 7 ('7'), that and Delphi 7 without its
    // compiler ('x'), and then a newer package without its extractor ('u'): per IDE (Delphi 6,
    // Delphi 7, RAD Studio 2007) install, leave unchanged or remove, and the installation
    // folder's name; else the refusal.
    const std::tuple<char, std::vector<std::string>, std::string> cases[] = {
        {'-', {}, "lii Corvalis"},
        {'-', {"--ides=all", "--dir=C:/Libs/./Mine/"}, "lii Mine"},
        {'-', {"--ides= delphi7 ,"}, "lil Corvalis"},
        {'-', {"--ides=Delphi6"}, "Delphi 6.0 (Enterprise): This IDE version has no dcc32.exe compiler. Please"},
        {'-', {"--ides=Delphi9"}, "Unknown IDE \"Delphi9\": the IDEs found are Delphi6, Delphi7, Delphi2007."},
        {'-', {"--ides=Delphi7", "--compilation-mode=DEVEXPRESS"}, "using DevExpress controls"},
        {'-', {"--compilation-mode=Fast"}, "Unknown compilation mode \"Fast\""},
        {'-', {"--dir=C:\\Tools\\.."}, "cannot be the root of a drive"},
        {'-', {"--ides="}, "--ides= needs a value"},
        {'-', {"--jobs=0"}, "--jobs=0 is not a number of IDEs from 1 to 64."},
        {'-', {"--uninstall"}, "Corvalis is not installed: there is nothing to uninstall."},
        {'-', {"--autoupdate"}, "Corvalis is not installed: there is nothing to update."},
        {'7', {}, "lii Corvalis"},
        {'7', {"--ides=Delphi2007", "--dir=C:\\Libs\\Mine"}, "lri Corvalis"},
        {'7', {"--autoupdate"}, "lil Corvalis"},
        {'7', {"--uninstall"}, "lrl Corvalis"},
        {'7', {"--uninstall", "--group=Tools\\CON"}, "which Windows reserves for a device"},
        {'7', {"--autoupdate", "--compilation-mode="}, "--compilation-mode= needs a value"},
        {'7', {"--autoupdate", "--ides=all"}, "--autoupdate cannot be combined with --uninstall or --ides=."},
        {'x', {"--autoupdate"}, "Delphi 7.0 (Enterprise): This IDE version has no dcc32.exe compiler."},
        {'u', {"--ides=Delphi2007"}, "File not exists:\"unrar.exe\". Invalid installer package."},
        {'u', {"--uninstall"}, "lrl Corvalis"}};
    const std::string package = testing::InstallerMachine::kPackageFolder;
    for (const auto& [machine, arguments, expected] : cases) {
        if (machine == 'u') {
            installer.machine.files.WriteFile(package + "\\version", "2.1.0.0 Standard Edition With Sources");
            installer.machine.files.DeleteFile(package + "\\unrar.exe");
        } else {
            installer.machine.registry.DeleteKey(RootKey::LocalMachine, ProductKey);
            if (machine != '-') {
                ASSERT_EQ(Run({"--ides=Delphi7"}), ecDone);
            }
        }
        if (machine == 'x')
            installer.machine.files.DeleteFile((*installer.Data().TargetOptions)[1].Target.Dcc32File());
        TInstallData& data = installer.Start(arguments);
        std::string decided;
        bool refused = false;
        try {
            DecideUnattendedRun(data, installer.machine.platform);
            for (int i = 0; i < data.TargetOptions->Count(); ++i)
                decided += "ilr"[(*data.TargetOptions)[i].Action];
            decided += " " + ExtractFileName(data.InstallDir);
        } catch (const TRefusal& refusal) {
            decided = refusal.Message();
            refused = true;
        }
        EXPECT_TRUE(refused ? decided.find(expected) != std::string::npos : decided == expected)
            << ::testing::PrintToString(arguments) << ": " << decided;
    }
    // A package without sources, on a machine without IDEs.
    testing::InstallerMachine bare(
        {"2.0.1.0 Standard Edition", false, false, "C:\\Build\\unrar.exe", "C:\\Build\\setup.exe"});
    const auto refusal = [&](const std::vector<std::string>& arguments) {
        return [&bare, arguments] { DecideUnattendedRun(bare.Start(arguments), bare.machine.platform); };
    };
    EXPECT_THAT(refusal({"--compilation-mode=tnt"}), ::testing::ThrowsMessage<TRefusal>(HasSubstr("has no sources")));
    EXPECT_THAT(refusal({}),
                ::testing::ThrowsMessage<TRefusal>("No Delphi or C++Builder IDE was found on this computer."));
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
    ASSERT_EQ(
        Run({"--silent", "--dir=C:/Libs/Tools/../Corvalis/", "--group=Tools\\Corvalis", "--log=C:\\Logs\\install.log"}),
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

TEST_F(UnattendedTest, TheExitCodeTellsErrorsAndFailures)
{
    installer.machine.processes.SetEnv("CORVALIS_DCC32_FAIL", "CorvalisDsgnD7.dpk");
    EXPECT_EQ(Run({"--ides=Delphi7"}), ecErrors);
    installer.machine.processes.SetEnv("CORVALIS_DCC32_FAIL", "");
    installer.machine.processes.SetEnv("CORVALIS_UNRAR_EXIT", "2");
    installer.machine.registry.DeleteKey(RootKey::LocalMachine, ProductKey);
    EXPECT_EQ(Run({"--ides=Delphi7"}), ecFailed);
    EXPECT_THAT(console.Errors(),
                ElementsAre("Error extracting component files from archive.\rA fatal error occurred."));
}

TEST_F(UnattendedTest, TheLogCopyIsOpenedBeforeTheRunAndAnUninstallDoesNotMakeItsFolderAgain)
{
    installer.machine.files.AddFile("C:\\Logs", "a file where the folder belongs");
    ASSERT_EQ(Run({"--log=C:\\Logs\\install.log"}), ecRefused);
    EXPECT_THAT(console.Errors().back(),
                ::testing::StartsWith("The log file C:\\Logs\\install.log cannot be written: "));
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
    ASSERT_EQ(Run({"--ides=Delphi7"}), ecDone);
    const std::string help = installer.Data().InstallDir + "\\Help";
    EXPECT_EQ(Run({"--uninstall", "--log=" + help + "\\uninstall.log"}), ecDone);
    EXPECT_FALSE(installer.machine.files.DirectoryExists(help));
    EXPECT_THAT(console.Lines(),
                ::testing::Contains(EndsWith("Warning]The log could not be written to " + help +
                                             "\\uninstall.log. The folder " + help + " no longer exists.")));
}

} // namespace
} // namespace corvalis
