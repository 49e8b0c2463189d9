#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ide/CmdLineUtils.h"
#include "platform/memory/MemoryPlatform.h"
#include "run/CommandLineChoices.h"
#include "run/UserAccount.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;

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

} // namespace
} // namespace corvalis
