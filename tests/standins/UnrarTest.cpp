#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/uLogger.h"
#include "platform/memory/MemoryPlatform.h"
#include "standins/MemoryStandIns.h"
#include "standins/StandInTesting.h"
#include "standins/Tar.h"
#include "standins/Unrar.h"

namespace corvalis::standins {
namespace {

using ::testing::Contains;
using testing::FakeEnvironment;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::Lines;

const std::string kPackage = "C:\\Setup";
const std::string kDestination = "C:\\Program Files\\Halvorn\\Corvalis";
// The installer's command line, with its two blanks before data.arc.
const std::string kCommandLine = "unrar.exe x -c- -cfg- -dh -idp -o+ -r -y  data.arc *.* \"" + kDestination + "\\\"";

class UnrarTest : public ::testing::Test {
protected:
    UnrarTest()
    {
        files.AddFile(kPackage + "\\data.arc", WriteTar({{"Demos", true, {}},
                                                         {"Demos/DemoApp", true, {}},
                                                         {"Demos/DemoApp/CRVDemo.dpr", false, "program CRVDemo;"},
                                                         {"Languages", true, {}},
                                                         {"EULA.txt", false, "license"}}));
    }

    ToolRun Run(const std::string& commandLine)
    {
        return RunUnrar(files, commandLine, kPackage + "\\", kPackage + "\\unrar.exe", env.Lookup());
    }

    MemoryFiles files;
    FakeEnvironment env;
};

TEST_F(UnrarTest, TheInstallersCommandLineExtractsEverythingIntoAFolderWithBlanks)
{
    const ToolRun run = Run(kCommandLine);
    EXPECT_EQ(run.exitCode, 0) << run.error;
    EXPECT_EQ(files.ReadFile(kDestination + "\\Demos\\DemoApp\\CRVDemo.dpr"), "program CRVDemo;");
    EXPECT_EQ(files.ReadFile(kDestination + "\\EULA.txt"), "license");
    EXPECT_TRUE(files.DirectoryExists(kDestination + "\\Languages"));
    const std::vector<std::string> lines = Lines(run.output);
    EXPECT_THAT(lines, Contains("Extracting  " + kDestination + "\\Demos\\DemoApp\\CRVDemo.dpr  OK"));
    EXPECT_THAT(lines, Contains("Creating    " + kDestination + "\\Languages  OK"));
    EXPECT_EQ(lines.back(), "All OK");
    EXPECT_THAT(run.error, IsEmpty());
}

TEST_F(UnrarTest, ExistingFilesAreOverwritten)
{
    files.AddFile(kDestination + "\\EULA.txt", "an older license");
    ASSERT_EQ(Run(kCommandLine).exitCode, 0);
    EXPECT_EQ(files.ReadFile(kDestination + "\\EULA.txt"), "license");
}

TEST_F(UnrarTest, AnyOtherArgumentListIsACommandLineError)
{
    const std::string cases[] = {
        "unrar.exe",
        "unrar.exe x -c- -cfg- -dh -idp -o+ -r data.arc *.* \"C:\\Dest\\\"",
        "unrar.exe e -c- -cfg- -dh -idp -o+ -r -y data.arc *.* \"C:\\Dest\\\"",
        "unrar.exe x -c- -cfg- -dh -idp -o+ -r -y other.arc *.* \"C:\\Dest\\\"",
        "unrar.exe x -c- -cfg- -dh -idp -o+ -y -r data.arc *.* \"C:\\Dest\\\"",
        "unrar.exe x -c- -cfg- -dh -idp -o+ -r -y data.arc *.* \"C:\\Dest\"",
        "unrar.exe x -c- -cfg- -dh -idp -o+ -r -y data.arc *.* \"C:\\Dest\\\" extra",
        "unrar.exe x -c- -cfg- -dh -idp -o+ -r -y data.arc *.*",
    };
    for (const std::string& commandLine : cases) {
        const ToolRun run = Run(commandLine);
        EXPECT_EQ(run.exitCode, 7) << commandLine;
        EXPECT_THAT(run.error, HasSubstr("Command line option error")) << commandLine;
    }
    EXPECT_FALSE(files.DirectoryExists("C:\\Dest"));
}

TEST_F(UnrarTest, AMissingArchiveIsAnOpenError)
{
    files.DeleteFile(kPackage + "\\data.arc");
    const ToolRun run = Run(kCommandLine);
    EXPECT_EQ(run.exitCode, 6);
    EXPECT_THAT(run.error, HasSubstr("Cannot open " + kPackage + "\\data.arc"));
}

TEST_F(UnrarTest, ACorruptArchiveIsACrcError)
{
    std::string archive = *files.ReadFile(kPackage + "\\data.arc");
    archive[10] ^= 1;
    files.WriteFile(kPackage + "\\data.arc", archive);
    const ToolRun run = Run(kCommandLine);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_THAT(run.error, HasSubstr("corrupt"));
    EXPECT_FALSE(files.DirectoryExists(kDestination));
}

TEST_F(UnrarTest, AFileWhereAFolderMustGoIsACreateError)
{
    files.AddFile(kDestination + "\\Demos", "in the way");
    const ToolRun run = Run(kCommandLine);
    EXPECT_EQ(run.exitCode, 9);
    EXPECT_THAT(run.error, HasSubstr(kDestination + "\\Demos"));
}

TEST_F(UnrarTest, AForcedExitCodeReplacesTheResultAfterTheExtraction)
{
    for (int code : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 255}) {
        files.DeleteTree(kDestination);
        env.Set("CORVALIS_UNRAR_EXIT", std::to_string(code));
        EXPECT_EQ(Run(kCommandLine).exitCode, code);
        EXPECT_TRUE(files.FileExists(kDestination + "\\EULA.txt")) << code;
    }
    EXPECT_EQ(Run("unrar.exe x").exitCode, 255);
    env.Set("CORVALIS_UNRAR_EXIT", "not a number");
    EXPECT_EQ(Run(kCommandLine).exitCode, 0);
}

TEST(StandInHandler, ABareProgramNameIsFoundBesideTheInstaller)
{
    MemoryPlatform machine;
    machine.files.AddFile(kPackage + "\\data.arc", WriteTar({{"EULA.txt", false, "license"}}));
    machine.processes.SetExecutablePath(kPackage + "\\setup.exe");
    TLogToList log(machine.locale);
    const auto run = [&] { return RunProcess(machine.processes, machine.locale, log, kCommandLine, kPackage + "\\"); };

    EXPECT_EQ(run(), -1); // no program file yet
    InstallStandIn(machine.processes, machine.files, kPackage + "\\unrar.exe", RunUnrar);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(machine.files.ReadFile(kDestination + "\\EULA.txt"), "license");
    EXPECT_EQ(log.Messages.back().Level, llDebug);
    EXPECT_EQ(log.Messages.back().Text, u"All OK");

    machine.processes.SetEnv("CORVALIS_UNRAR_EXIT", "1");
    EXPECT_EQ(run(), 1);
    machine.files.DeleteFile(kPackage + "\\unrar.exe");
    EXPECT_EQ(run(), -1);
}

} // namespace
} // namespace corvalis::standins
