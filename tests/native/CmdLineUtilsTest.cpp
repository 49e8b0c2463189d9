#include <fstream>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/uLogger.h"
#include "ide/CmdLineUtils.h"
#include "platform/memory/MemoryConsole.h"
#include "platform/memory/MemoryFiles.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CmdLineUtilsTest : public ::testing::Test {
protected:
    TCmdOptions Parse(const std::vector<std::string>& arguments) { return TCmdOptions(arguments, files, console); }
    MemoryFiles files;
    MemoryConsole console;
};

TEST_F(CmdLineUtilsTest, NoArgumentsLeaveTheDefaults)
{
    const TCmdOptions options = Parse({});
    EXPECT_FALSE(options.IgnoreIde || options.IgnoreBcb || options.IgnoreDelphi || options.KeepFiles ||
                 options.AutoUpdate || options.ShowHelp);
    EXPECT_EQ(options.DelphiRegKey + options.BcbRegKey + options.BdsRegKey + options.LibPath + options.Language, "");
    EXPECT_FALSE(console.Opened());
}

TEST_F(CmdLineUtilsTest, OptionNamesMatchWithoutCaseAndValuesKeepTheirs)
{
    const TCmdOptions options = Parse({"--IGNORE-BCB", "-rbds=Win32Only", "--Lang=DE", "-RDELPHI=Delphi32"});
    EXPECT_TRUE(options.IgnoreBcb);
    EXPECT_EQ(options.BdsRegKey, "Win32Only");
    EXPECT_EQ(options.Language, "DE");
    EXPECT_EQ(options.DelphiRegKey, "Delphi32");
}

TEST_F(CmdLineUtilsTest, BooleanOptionsMatchWholeAndATrailingMinusClearsThem)
{
    EXPECT_FALSE(Parse({"--ignore-bcbx"}).IgnoreBcb);
    EXPECT_FALSE(Parse({"--ignore-delphi", "--ignore-delphi-"}).IgnoreDelphi);
    EXPECT_FALSE(Parse({"--help", "--help-"}).ShowHelp);
    EXPECT_TRUE(Parse({"--keep-files", "unknown", "--autoupdate"}).AutoUpdate);
}

TEST_F(CmdLineUtilsTest, TheUnattendedRowsMatchLikeTheOthers)
{
    const TCmdOptions options =
        Parse({"--SILENT", "--Dir=C:\\Libs", "--group=Tools\\Corvalis", "--IDES=Delphi7,Delphi2007",
               "--compilation-mode=tnt", "--uninstall", "--list-ides", "--log=run.log", "--silentx", "--ides"});
    EXPECT_TRUE(options.Silent && options.Uninstall && options.ListIdes);
    EXPECT_EQ(options.InstallDir, "C:\\Libs");
    EXPECT_EQ(options.StartFolder, "Tools\\Corvalis");
    EXPECT_EQ(options.Ides, "Delphi7,Delphi2007");
    EXPECT_EQ(options.CompilationMode, "tnt");
    EXPECT_EQ(options.LogFile, "run.log");
    EXPECT_FALSE(Parse({"--silent", "--silent-"}).Silent);
}

TEST_F(CmdLineUtilsTest, AnEmptyValueAndALaterValueOverride)
{
    EXPECT_EQ(Parse({"-rBDS=Win32Only", "-rBDS="}).BdsRegKey, "");
    EXPECT_EQ(Parse({"-rBCB=A", "-rBCB=B"}).BcbRegKey, "B");
}

TEST_F(CmdLineUtilsTest, ARestoreTakesTheMostRecentBackupOrTheNamedOne)
{
    const TCmdOptions latest = Parse({"--RESTORE"});
    EXPECT_TRUE(latest.Restore);
    EXPECT_EQ(latest.RestoreFolder, "");
    const TCmdOptions chosen = Parse({"--restore=C:\\Backup\\2026-03-01 09-15-00"});
    EXPECT_FALSE(chosen.Restore);
    EXPECT_EQ(chosen.RestoreFolder, "C:\\Backup\\2026-03-01 09-15-00");
}

TEST_F(CmdLineUtilsTest, ALibraryPathMustBeAnExistingFolder)
{
    files.ForceDirectories("C:\\Libs\\Helper");
    EXPECT_EQ(Parse({"--lib-path=C:\\Libs\\Helper"}).LibPath, "C:\\Libs\\Helper");
    EXPECT_EQ(Parse({"--lib-path=C:\\Libs\\Helper", "--lib-path=C:\\Nowhere"}).LibPath, "C:\\Libs\\Helper");
}

TEST_F(CmdLineUtilsTest, EachHelpRequestPrintsTheListWaitsForEnterAndExitsWithOne)
{
    std::ifstream file(CORVALIS_TEST_DATA "/help.txt", std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    std::string expected = content.str();
    const std::vector<std::string> lines = TakeCompleteLines(expected);
    ASSERT_EQ(lines.size(), 26u);

    for (const char* request : {"/?", "-h", "--HELP"}) {
        MemoryConsole helpConsole;
        try {
            TCmdOptions options({"--ignore-ide", request}, files, helpConsole);
            ADD_FAILURE() << "the program did not end";
        } catch (const ConsoleExit& exit) {
            EXPECT_EQ(exit.exitCode, 1);
        }
        EXPECT_TRUE(helpConsole.Opened());
        EXPECT_EQ(helpConsole.Lines(), lines) << request;
        EXPECT_EQ(helpConsole.LinesRead(), 1);
    }
}

TEST(ParseCommandLine, SplitsAtBlanksAndDropsQuotesLikeDelphi)
{
    EXPECT_THAT(ParseCommandLine("setup.exe"), IsEmpty());
    EXPECT_THAT(ParseCommandLine("\"C:\\My Setup\\setup.exe\"  /?  -rBDS=Win32Only"),
                ElementsAre("/?", "-rBDS=Win32Only"));
    EXPECT_THAT(ParseCommandLine("setup \"--lib-path=C:\\Program Files\\Lib\" a\"b c\"d"),
                ElementsAre("--lib-path=C:\\Program Files\\Lib", "ab cd"));
    EXPECT_THAT(ParseCommandLine("setup \"\" \"\" x \"unterminated"), ElementsAre("x", "unterminated"));
    EXPECT_THAT(ParseCommandLine("setup\t-h\r\n"), ElementsAre("-h"));
}

} // namespace
} // namespace corvalis
