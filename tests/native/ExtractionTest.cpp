#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/ShellIntegration.h"
#include "engine/Compile.h"
#include "native/InstallerMachine.h"
#include "platform/Exceptions.h"

namespace corvalis {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::ThrowsMessage;

class ExtractionTest : public ::testing::Test {
protected:
    ExtractionTest()
    {
        installer.Start();
        compiler = std::make_unique<TCompiler>(installer.machine.platform, installer.Data());
    }
    std::vector<std::pair<TLogLevel, std::string>> Lines() const
    {
        std::vector<std::pair<TLogLevel, std::string>> lines;
        for (const TLogMessage& message : log().Messages)
            lines.emplace_back(message.Level, installer.machine.locale.WideToAnsi(message.Text));
        return lines;
    }
    const TLogToList& log() const { return static_cast<const TLogToList&>(compiler->Log()); }

    testing::InstallerMachine installer;
    std::unique_ptr<TCompiler> compiler;
};

TEST_F(ExtractionTest, TheDistributionIsExtractedWithTheExactCommandLineIntoTheInstallationFolder)
{
    installer.Data().InstallDir = "C:\\Program Files\\Halvorn\\Corvalis";
    compiler->ExtractDistribution();
    const auto& started = installer.machine.processes.StartedProcesses();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine,
              "unrar.exe x -c- -cfg- -dh -idp -o+ -r -y  data.arc *.* \"C:\\Program Files\\Halvorn\\Corvalis\\\"");
    EXPECT_EQ(started[0].workingFolder, std::string(testing::InstallerMachine::kPackageFolder) + "\\");
    EXPECT_TRUE(installer.machine.files.FileExists("C:\\Program Files\\Halvorn\\Corvalis\\Help\\CRV.HLP"));
    EXPECT_TRUE(installer.Data().ProductInstalled);
    const auto lines = Lines();
    EXPECT_THAT(lines.front(), Pair(llInfo, "Extracting component files..."));
    EXPECT_THAT(lines[1], Pair(llDebug, started[0].commandLine));
    EXPECT_THAT(lines.back(), Pair(llInfo, "Extracting completed..."));
}

TEST_F(ExtractionTest, EachExitCodeOfTheExtractorHasItsMessage)
{
    const std::pair<std::string, std::string> cases[] = {
        {"1", "Non fatal error(s) occurred."},
        {"2", "A fatal error occurred."},
        {"3", "A CRC error occurred when unpacking."},
        {"4", "Attempt to modify an archive previously locked by the 'k' command."},
        {"5", "Write to disk error."},
        {"6", "Open file error."},
        {"7", "Command line option error."},
        {"8", "Not enough memory for operation."},
        {"9", "Create file error."},
        {"255", "Unknown extract error."},
        {"-1", "Unknown extract error."},
    };
    for (const auto& [code, message] : cases) {
        installer.machine.processes.SetEnv("CORVALIS_UNRAR_EXIT", code);
        installer.Data().ProductInstalled = true;
        EXPECT_THAT([&] { compiler->ExtractDistribution(); },
                    ThrowsMessage<Exception>("Error extracting component files from archive.\r" + message))
            << code;
        EXPECT_FALSE(installer.Data().ProductInstalled);
    }
}

TEST_F(ExtractionTest, AnExtractorThatCannotStartFailsAsUnknown)
{
    installer.machine.files.DeleteFile(std::string(testing::InstallerMachine::kPackageFolder) + "\\unrar.exe");
    EXPECT_THAT([&] { compiler->ExtractDistribution(); },
                ThrowsMessage<Exception>("Error extracting component files from archive.\rUnknown extract error."));
}

TEST_F(ExtractionTest, AMissingArchiveFailsBeforeAnythingIsLogged)
{
    installer.machine.files.DeleteFile(std::string(testing::InstallerMachine::kPackageFolder) + "\\data.arc");
    installer.Data().ProductInstalled = true;
    EXPECT_THAT([&] { compiler->ExtractDistribution(); },
                ThrowsMessage<Exception>("File not exists:\"data.arc\". Invalid installer package."));
    EXPECT_THAT(Lines(), IsEmpty());
    EXPECT_TRUE(installer.Data().ProductInstalled);
}

TEST_F(ExtractionTest, AFolderWithADoubleQuoteIsRefusedBeforeTheExtractorRuns)
{
    installer.Data().InstallDir = "C:\\Corvalis\" -ep -y \"C:\\Elsewhere";
    EXPECT_THAT([&] { compiler->ExtractDistribution(); },
                ThrowsMessage<Exception>(::testing::HasSubstr("must not contain a double quote")));
    EXPECT_THAT(installer.machine.processes.StartedProcesses(), IsEmpty());
}

TEST(WindowsName, NamesTheWindowsVersionsItKnows)
{
    const std::pair<WindowsVersion, std::string> cases[] = {
        {{1, 4, 0}, "Windows 95"},
        {{1, 4, 10}, "Windows 98"},
        {{1, 4, 89}, "Windows 98"},
        {{1, 4, 90}, "Windows ME"},
        {{1, 4, 91}, ""},
        {{2, 4, 0}, "Windows NT4"},
        {{2, 5, 0}, "Windows 2000"},
        {{2, 5, 1}, "Windows XP"},
        {{2, 5, 2}, ""},
        {{2, 6, 1}, ""},
        {{2, 10, 0}, ""},
        {{3, 5, 1}, ""},
    };
    for (const auto& [version, name] : cases)
        EXPECT_EQ(WindowsName(version), name) << version.platformId << " " << version.major << "." << version.minor;
}

TEST_F(ExtractionTest, InstallFilesLogsTheVersionsAndEndsWithTheShellIntegration)
{
    installer.machine.shell.SetRunningWindows({2, 5, 1, 2600, "Service Pack 2"});
    compiler->InstallFiles();
    const auto lines = Lines();
    ASSERT_GE(lines.size(), 8u);
    EXPECT_THAT(lines[0],
                Pair(llDebug, "Extracting files from installer package. Component version: 2.0.1.0 Standard Edition "
                              "With Sources"));
    EXPECT_THAT(lines[1], Pair(llInfo, "Installing Corvalis v. 2.0.1.0 Standard Edition With Sources"));
    EXPECT_THAT(lines[2], Pair(llInfo, "Windows XP Service Pack 2 (5.1.2600)"));
    EXPECT_THAT(lines[3], Pair(llInfo, ""));
    EXPECT_THAT(lines[4], Pair(llInfo, "Extracting component files..."));
    EXPECT_THAT(lines, Contains(Pair(llInfo, "Create Shortcuts in Start menu folder...")));
    EXPECT_THAT(lines.back(), Pair(llInfo, "Completed"));

    const TInstallData& data = installer.Data();
    EXPECT_TRUE(data.ProductInstalled);
    EXPECT_TRUE(installer.machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
    EXPECT_TRUE(installer.machine.registry.KeyExists(RootKey::LocalMachine, UninstallKey));
    EXPECT_EQ(installer.machine.shell.Shortcuts().size(), 11u);
    EXPECT_TRUE(installer.machine.files.FileExists(data.InstallDir + "\\Uninstall\\setup.exe"));
}

TEST_F(ExtractionTest, OnLaterWindowsNoNameAndNoBlankLineFollow)
{
    compiler->InstallFiles();
    EXPECT_THAT(Lines()[2], Pair(llInfo, "Extracting component files..."));
}

TEST_F(ExtractionTest, AFailedExtractionLeavesTheShellAndTheRegistryAlone)
{
    installer.machine.processes.SetEnv("CORVALIS_UNRAR_EXIT", "5");
    EXPECT_THROW(compiler->InstallFiles(), Exception);
    EXPECT_FALSE(installer.Data().ProductInstalled);
    EXPECT_THAT(installer.machine.shell.Shortcuts(), IsEmpty());
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, UninstallKey));
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
}

TEST_F(ExtractionTest, TheEngineRunsToolsThroughItsOwnLog)
{
    std::vector<std::string> seen;
    compiler->Log().OnLog = [&](TLogBase&, TLogLevel, const std::u16string& text, DateTime) {
        seen.push_back(installer.machine.locale.WideToAnsi(text));
    };
    EXPECT_EQ(compiler->RunProcess("unrar.exe", testing::InstallerMachine::kPackageFolder), 7);
    EXPECT_FALSE(seen.empty());
}

} // namespace
} // namespace corvalis
