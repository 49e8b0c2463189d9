#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "engine/uLogger.h"
#include "fixtures/RegistrySnapshot.h"
#include "fixtures/Win32FixtureFiles.h"
#include "ide/Utils.h"
#include "platform/win32/Win32Platform.h"
#include "product/InstallerPackage.h"

namespace corvalis {
namespace {

using ::testing::ElementsAreArray;
using testing::Ide;
using testing::IdeFixture;

// The product built into real fixture IDEs by the stand-in tools and taken out again.
class IdeInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string bin = ExtractFileDir(machine.processes.ExecutablePath());
        root_ = machine.files.TempDirectory() + "\\corvalis ides " + std::to_string(::GetCurrentProcessId());
        package_ = root_ + "\\Corvalis Setup";
        product::WriteInstallerPackage(machine.files, package_,
                                       {"2.0.1.0 Standard Edition With Sources", true, true, PathJoin(bin, "unrar.exe"),
                                        PathJoin(bin, "enginerun.exe")});
        testing::Win32FixtureFiles files(machine.files, bin);
        for (Ide ide : {Ide::Delphi7, Ide::CBuilder6, Ide::Rad2007}) {
            fixtures_.emplace_back(ide, root_ + "\\IDEs");
            fixtures_.back().Install(machine.platform, files);
        }
    }
    void TearDown() override
    {
        for (const IdeFixture& fixture : fixtures_) {
            fixture.Uninstall(machine.platform);
            if (fixture.IsBds())
                machine.files.DeleteTree(ExtractFileDir(fixture.EnvOptionsFile(machine.platform)));
        }
        machine.files.DeleteTree(root_);
        machine.files.DeleteTree(*machine.shell.FolderPath(SpecialFolder::Programs) + "\\Halvorn");
        machine.registry.DeleteKey(RootKey::LocalMachine, ProductKey);
        machine.registry.DeleteKey(RootKey::LocalMachine, UninstallKey);
        for (const char* bpl : {"CorvalisD7.bpl", "CorvalisC6.bpl", "CorvalisD11.bpl"})
            machine.files.DeleteFile(machine.files.SystemDirectory() + "\\" + bpl);
    }
    int Run(const std::string& arguments)
    {
        TLogToList log(machine.locale);
        const std::string installer = package_ + "\\setup.exe";
        const int code =
            RunProcess(machine.processes, machine.locale, log, "\"" + installer + "\" " + arguments, package_);
        for (const TLogMessage& message : log.Messages)
            output_ += machine.locale.WideToAnsi(message.Text) + "\n";
        return code;
    }
    // The IDEs' own settings: their user keys and EnvOptions.proj files, byte for byte.
    std::vector<std::string> Settings()
    {
        std::vector<std::string> settings;
        for (const IdeFixture& fixture : fixtures_) {
            for (const auto& [name, value] :
                 testing::SnapshotKey(machine.registry, RootKey::CurrentUser, fixture.UserKey()))
                settings.push_back(name + "=" + value);
            if (fixture.IsBds())
                settings.push_back(machine.files.ReadFile(fixture.EnvOptionsFile(machine.platform)).value_or(""));
        }
        return settings;
    }

    Win32Platform machine;
    std::vector<IdeFixture> fixtures_;
    std::string root_;
    std::string package_;
    std::string output_;
};

TEST_F(IdeInstallTest, InstallingIntoDelphiCppBuilderAndRadStudioAndBackOutLeavesTheirSettingsAsTheyWere)
{
    const std::vector<std::string> before = Settings();
    const std::string installDir = root_ + "\\Corvalis";
    ASSERT_EQ(Run("install \"" + installDir + "\""), 0) << output_;
    ASSERT_EQ(Run("ides"), 0) << output_;

    const std::string system = machine.files.SystemDirectory();
    for (const std::string& built :
         {installDir + "\\Delphi7\\CorvalisDsgnD7.bpl", installDir + "\\CBuilder6\\CorvalisC6.bpl",
          installDir + "\\Delphi2007\\CorvalisD11.bpl", system + "\\CorvalisD7.bpl", system + "\\CorvalisC6.bpl",
          system + "\\CorvalisD11.bpl"})
        EXPECT_TRUE(machine.files.FileExists(built)) << built;
    const auto delphi7 = testing::SnapshotKey(machine.registry, RootKey::CurrentUser, fixtures_[0].UserKey());
    EXPECT_THAT(delphi7.at("LIBRARY\\SEARCH PATH"), ::testing::HasSubstr(installDir + "\\Delphi7"));
    EXPECT_EQ(delphi7.at("KNOWN PACKAGES\\" + UpperCase(installDir) + "\\DELPHI7\\CORVALISDSGND7.BPL"),
              "s:Corvalis Component");
    const std::string envOptions = *machine.files.ReadFile(fixtures_[2].EnvOptionsFile(machine.platform));
    EXPECT_THAT(envOptions, ::testing::HasSubstr(installDir + "\\Delphi2007</Win32LibraryPath>"));
    std::vector<FoundFile> headers;
    FindFiles(machine.files, fixtures_[2].RootDir() + "\\Include\\Vcl", "*.hpp", false, nullptr, headers);
    EXPECT_FALSE(headers.empty());

    ASSERT_EQ(Run("remove-ides"), 0) << output_;
    EXPECT_THAT(Settings(), ElementsAreArray(before));
    headers.clear();
    FindFiles(machine.files, fixtures_[2].RootDir() + "\\Include\\Vcl", "*.hpp", false, nullptr, headers);
    EXPECT_TRUE(headers.empty());
    EXPECT_TRUE(machine.files.FileExists(installDir + "\\Delphi7\\CorvalisDsgnD7.bpl"));
}

} // namespace
} // namespace corvalis
