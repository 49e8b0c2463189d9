#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/InstallData.h"
#include "fixtures/RegistrySnapshot.h"
#include "fixtures/Win32FixtureFiles.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "platform/win32/Win32Platform.h"

namespace corvalis {
namespace {

using testing::Ide;
using testing::IdeFixture;

// The installation data over the prefix's real registry, files and processes.
class InstallDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string temp =
            machine.files.TempDirectory() + "\\corvalis " + std::to_string(::GetCurrentProcessId());
        programFiles_ = temp + "\\Program Files";
        package_ = temp + "\\Package";
        machine.files.ForceDirectories(programFiles_);
        machine.files.ForceDirectories(package_);
        machine.files.WriteFile(package_ + "\\version", "2.0.1.0 Standard Edition With Sources\r\n");
        machine.files.WriteFile(package_ + "\\withsrcs", "");
        previousFolder_ = machine.files.CurrentDirectory();
        machine.files.SetCurrentDirectory(package_);
    }
    void TearDown() override
    {
        for (const IdeFixture& fixture : installed_)
            fixture.Uninstall(machine.platform);
        for (HANDLE process : running_) {
            ::TerminateProcess(process, 0);
            ::WaitForSingleObject(process, 5000);
            ::CloseHandle(process);
        }
        machine.registry.DeleteKey(RootKey::LocalMachine, ProductKey);
        machine.files.SetCurrentDirectory(previousFolder_);
        machine.files.DeleteTree(ExtractFileDir(package_));
    }
    void Install(const IdeFixture& fixture)
    {
        testing::Win32FixtureFiles files(machine.files, ExtractFileDir(machine.processes.ExecutablePath()));
        fixture.Install(machine.platform, files);
        installed_.push_back(fixture);
    }
    TInstallData& Create()
    {
        options_ = std::make_unique<TCmdOptions>(std::vector<std::string>{}, machine.files, machine.console);
        data_ = std::make_unique<TInstallData>(machine.platform, *options_, [](const std::string&) {});
        return *data_;
    }
    void Run(const std::string& exe)
    {
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &info));
        ::CloseHandle(info.hThread);
        running_.push_back(info.hProcess);
    }

    Win32Platform machine;
    std::string programFiles_;

private:
    std::string package_;
    std::string previousFolder_;
    std::vector<IdeFixture> installed_;
    std::vector<HANDLE> running_;
    std::unique_ptr<TCmdOptions> options_;
    std::unique_ptr<TInstallData> data_;
};

TEST_F(InstallDataTest, OnlyTheIdeWhoseOwnExecutableRunsCountsAsRunning)
{
    Install(IdeFixture(Ide::Rad2007, programFiles_));
    Install(IdeFixture(Ide::Rad2009, programFiles_));
    TInstallData& data = Create();
    ASSERT_EQ(data.TargetOptions->Count(), 2);
    const TTargetOptions& bds2007 = (*data.TargetOptions)[0];
    const TTargetOptions& bds2009 = (*data.TargetOptions)[1];
    EXPECT_FALSE(bds2009.IsIdeRunning());
    Run(bds2009.Target.AppFile);
    // The snapshot may need a moment to show the new process and its modules.
    for (int attempt = 0; attempt < 100 && !bds2009.IsIdeRunning(); ++attempt)
        ::Sleep(50);
    EXPECT_TRUE(bds2009.IsIdeRunning());
    EXPECT_FALSE(bds2007.IsIdeRunning());
}

TEST_F(InstallDataTest, TheIdeFileVersionIsReadFromTheCorePackagesVersionResource)
{
    Install(IdeFixture(Ide::Rad2007, programFiles_));
    EXPECT_EQ((*Create().TargetOptions)[0].IdeFileVersion(), "11.0.2709.7128");
    Install(IdeFixture(Ide::Rad2007, programFiles_).WithOldCoreIdePackage());
    EXPECT_EQ((*Create().TargetOptions)[0].IdeFileVersion(), "11.0.2627.5503");
}

TEST_F(InstallDataTest, ThePersistedStateLandsInTheRealRegistryTypedAndGoesWithItsSubkeys)
{
    Install(IdeFixture(Ide::Delphi7, programFiles_));
    TInstallData& data = Create();
    EXPECT_EQ(data.Mode, imInstall);
    data.ProductInstalled = true;
    data.SaveToRegistry();
    TTargetOptions& delphi7 = (*data.TargetOptions)[0];
    delphi7.Installed = true;
    delphi7.Save();

    const auto saved = testing::SnapshotKey(machine.registry, RootKey::LocalMachine, ProductKey);
    EXPECT_EQ(saved.at("INSTALLEDVERSION"), "s:2.0.1.0 Standard Edition With Sources");
    EXPECT_EQ(saved.at("VISIT WEB"), "i:1");
    EXPECT_EQ(saved.at("COMPILATIONMODE"), "i:0");
    EXPECT_EQ(saved.at("DELPHI 7.0 (ENTERPRISE)\\INSTALLED"), "i:1");
    EXPECT_EQ(saved.at("DELPHI 7.0 (ENTERPRISE)\\BPLDIR"), "s:" + data.InstallDir + "\\Delphi7");
    TCmdOptions options({}, machine.files, machine.console);
    EXPECT_EQ(TInstallData(machine.platform, options, [](const std::string&) {}).Mode, imMaintenance);

    data.ProductInstalled = false;
    data.SaveToRegistry();
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
}

} // namespace
} // namespace corvalis
