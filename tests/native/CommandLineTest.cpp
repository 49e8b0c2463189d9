#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ide/CmdLineUtils.h"
#include "platform/memory/MemoryPlatform.h"
#include "run/CommandLineChoices.h"
#include "run/FolderChecks.h"
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
    EXPECT_EQ(machine.console.LinesRead(), 3);
    EXPECT_THAT([&] { parse({"/?", "--silent"}); }, endsWithOne);
    EXPECT_EQ(machine.console.LinesRead(), 3) << "a silent run waits for no one";
    // Only the last value of an option counts, and only the run's options need one.
    EXPECT_THAT(
        parse({"--ides=", "--LOG=", "--dir=", "--dir=C:\\Libs", "-rBDS=", "--lib-path=", "--restore="}).EmptyValues,
        ElementsAre("--ides=", "--log=", "--restore="));
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

// Each folder as Windows resolves it, or the start of the reason it is refused for.
TEST(FolderChecks, FoldersAreJudgedAsWindowsResolvesThem)
{
    const std::string longest = "C:\\" + std::string(155, 'x');
    // clang-format off
    const std::pair<std::string, std::string> accepted[] = {
        {"C:\\Program Files\\Halvorn", "C:\\Program Files\\Halvorn"}, {"C:\\COM10\\Console", "C:\\COM10\\Console"},
        {"d:/Libs//Tools\\..\\.\\Corvalis\\", "d:\\Libs\\Corvalis"}, {longest, longest},
        {"\\\\build\\tools\\Corvalis", "\\\\build\\tools\\Corvalis"}};
    // clang-format on
    for (const auto& [folder, resolved] : accepted)
        EXPECT_EQ(InstallDirProblem(folder).value_or(FullInstallDir(folder)), resolved) << folder;
    // clang-format off
    const std::pair<std::string, std::string> refused[] = {
        {"C:\\Tools\\..", "cannot be the root"}, {"C:\\x\\..\\..\\.", "cannot be the root"},
        {"\\\\build\\tools\\", "cannot be the root"},
        {"Corvalis", "must be a full"}, {"\\Corvalis", "must be a full"}, {"C:Corvalis", "must be a full"},
        {"\\\\build", "must be a full"}, {"\\\\build\\\\x", "must be a full"},
        {"\\\\.\\C:\\x", "must not be a device"}, {"//?/C:/x", "must not be a device"},
        {"C:\\Libs\\CON", "holds the name CON,"}, {"C:\\nul.txt\\x", "holds the name nul.txt,"},
        {"C:\\Com9 .log", "holds the name Com9 .log,"},
        {"C:\\Libs.\\x", "holds a folder name ending"}, {"C:\\Libs\\x ", "holds a folder name ending"},
        {"C:\\Libs;x", "must not contain \";\""}, {"C:\\$(BDS)\\x", "must not contain \";\""},
        {"C:\\\"Libs\"", "must not contain a double"},
        {"C:\\Libs|x", "holds a character"}, {"C:\\Libs\\a:b", "holds a character"},
        {"C:\\Libs\\\tTab", "holds a character"}};
    // clang-format on
    for (const auto& [folder, reason] : refused)
        EXPECT_EQ(InstallDirProblem(folder).value_or("The installation folder passes").substr(24, reason.size()),
                  reason)
            << folder;
    EXPECT_THAT(InstallDirProblem(longest + "x").value_or(""), ::testing::HasSubstr("is longer than 158 characters"));
    // Below the Programs folder C:\Menu, whose longest shortcut name has 61 characters.
    const std::pair<std::string, std::string> groups[] = {
        {"Halvorn\\Corvalis VCL Edition", "accepted"}, {"Tools 2.0", "accepted"},
        {std::string(189, 'g'), "accepted"},           {std::string(190, 'g'), "is too long"},
        {"..\\Startup", "must be a folder below"},     {"Halvorn\\.", "must be a folder below"},
        {"\\Halvorn", "must be a folder below"},       {"Halvorn\\", "must be a folder below"},
        {"Tools\\Aux", "holds the name Aux,"},         {"Tools.\\Corvalis", "holds a folder name ending"},
        {"a\"b", "must not contain a double quote"},   {"C:\\Menu", "holds a character"},
        {"Tools/Corvalis", "holds a character"}};
    for (const auto& [group, expected] : groups) {
        const auto problem = StartFolderProblem(group, "C:\\Menu");
        EXPECT_THAT(problem ? problem->substr(21) : "accepted", ::testing::StartsWith(expected)) << group;
    }
}

} // namespace
} // namespace corvalis
