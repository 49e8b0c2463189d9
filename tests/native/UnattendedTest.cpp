#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/SetupLog.h"
#include "core/Unattended.h"
#include "core/UserAccount.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "native/InstallerMachine.h"

namespace corvalis {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;

TEST(CmdLine, OptionsMatchWholeWithoutCaseAndTheLastOneCounts)
{
    MemoryPlatform machine;
    machine.files.ForceDirectories("C:\\Libs\\Helper");
    const auto parse = [&](const std::vector<std::string>& arguments) {
        return TCmdOptions(arguments, machine.files, machine.console);
    };
    const TCmdOptions o = parse(ParseCommandLine(
        "setup --IGNORE-BCB -rbds=Win32Only --Lang=DE -RDELPHI=Delphi32 -rBCB=A -rBCB=B --ignore-delphix --ignore-ide "
        "--ignore-ide- unknown --SILENT --Dir=C:\\Libs --group=Tools\\Corvalis --IDES=Delphi7,Delphi2007 --ides "
        "--compilation-mode=tnt --uninstall --list-ides --log=run.log --help --help- --keep-files --autoupdate "
        "--lib-path=C:\\Libs\\Helper --lib-path=C:\\Nowhere --restore=C:\\Backup\\1"));
    EXPECT_TRUE(o.IgnoreBcb && o.Silent && o.Uninstall && o.ListIdes && o.KeepFiles && o.AutoUpdate);
    EXPECT_FALSE(o.IgnoreDelphi || o.IgnoreIde || o.Restore || o.ShowHelp);
    EXPECT_THAT(
        (std::vector<std::string>{o.BdsRegKey, o.Language, o.DelphiRegKey, o.BcbRegKey, o.InstallDir, o.StartFolder,
                                  o.Ides, o.CompilationMode, o.LogFile, o.LibPath, o.RestoreFolder}),
        ElementsAre("Win32Only", "DE", "Delphi32", "B", "C:\\Libs", "Tools\\Corvalis", "Delphi7,Delphi2007", "tnt",
                    "run.log", "C:\\Libs\\Helper", "C:\\Backup\\1"));
    EXPECT_TRUE(parse({"--RESTORE"}).Restore);
    EXPECT_EQ(parse({"-rBDS=Win32Only", "-rBDS="}).BdsRegKey, "");
    // The help's text and its wait for Enter are pinned where setup.exe prints it; each spelling ends with 1.
    const auto endsWithOne = ::testing::Throws<ConsoleExit>(::testing::Field(&ConsoleExit::exitCode, 1));
    for (const char* request : {"/?", "-h", "--HELP"})
        EXPECT_THAT([&] { parse({"--ignore-ide", request}); }, endsWithOne) << request;
}

TEST(CmdLine, TheCommandLineSplitsAtBlanksAndDropsQuotes)
{
    EXPECT_THAT(ParseCommandLine("setup.exe"), ::testing::IsEmpty());
    EXPECT_THAT(ParseCommandLine("\"C:\\My Setup\\setup.exe\"  /?  -rBDS=Win32Only"),
                ElementsAre("/?", "-rBDS=Win32Only"));
    EXPECT_THAT(ParseCommandLine("setup \"--lib-path=C:\\Program Files\\Lib\" a\"b c\"d"),
                ElementsAre("--lib-path=C:\\Program Files\\Lib", "ab cd"));
    EXPECT_THAT(ParseCommandLine("setup \"\" \"\" x \"unterminated"), ElementsAre("x", "unterminated"));
    EXPECT_THAT(ParseCommandLine("setup\t-h\r\n"), ElementsAre("-h"));
}

TEST(AccountWarning, NamesBothAccountsOnlyWhenTheDesktopBelongsToAnother)
{
    MemoryPlatform machine;
    EXPECT_EQ(AccountWarning(machine.shell), std::nullopt);
    machine.shell.SetAccounts("PC\\Admin", "pc\\ADMIN");
    EXPECT_EQ(AccountWarning(machine.shell), std::nullopt);
    machine.shell.SetAccounts("PC\\Admin", std::nullopt);
    EXPECT_EQ(AccountWarning(machine.shell), std::nullopt) << "a service or a build agent has no desktop shell";
    machine.shell.SetAccounts("PC\\Admin", "PC\\Developer");
    EXPECT_EQ(AccountWarning(machine.shell),
              "Corvalis Installer runs as the user PC\\Admin, but this desktop belongs to PC\\Developer.\r\n\r\n"
              "The installer changes the IDE settings of the account it runs as: the IDEs of PC\\Admin would "
              "receive the library, not those of PC\\Developer.");
}

TEST(UnattendedFolders, OnlyFullPathsAndGroupsBelowTheProgramsMenuPass)
{
    for (const char* folder : {"C:\\Program Files\\Halvorn", "D:\\Libs\\", "\\\\build\\tools"})
        EXPECT_EQ(InstallDirProblem(folder), std::nullopt) << folder;
    // What each refusal says of the folder.
    std::string reasons;
    for (const char* folder : {"Corvalis", "\\Corvalis", "C:Corvalis", "C:\\", "C:\\My \"Libs\"", "C:\\Libs|x",
                               "C:\\Libs\\a:b", "C:\\Libs\\\tTab"})
        reasons += InstallDirProblem(folder).value_or("The installation folder passes").substr(24, 14) + "|";
    EXPECT_EQ(reasons, "must be a full|must be a full|must be a full|cannot be the |must not conta|holds a charac|"
                       "holds a charac|holds a charac|");
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
    for (const auto& [delphi7Installed, arguments, expected] : cases) {
        installer.machine.registry.DeleteKey(RootKey::LocalMachine, ProductKey);
        if (delphi7Installed) {
            ASSERT_EQ(Run({"--ides=Delphi7"}), ecDone);
        }
        TInstallData& data = installer.Start(arguments);
        std::string decided;
        try {
            DecideUnattendedRun(data);
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
    ASSERT_EQ(Run({"--silent", "--dir=C:\\Libs\\Corvalis\\", "--group=Tools\\Corvalis", "--log=C:\\Logs\\install.log"}),
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
    installer.machine.files.DeleteFile(std::string(testing::InstallerMachine::kPackageFolder) + "\\data.arc");
    installer.machine.registry.DeleteKey(RootKey::LocalMachine, ProductKey);
    EXPECT_EQ(Run({"--ides=Delphi7"}), ecFailed);
    EXPECT_THAT(console.Errors(), ElementsAre("File not exists:\"data.arc\". Invalid installer package."));
}

} // namespace
} // namespace corvalis
