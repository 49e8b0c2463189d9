#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "fixtures/RegistrySnapshot.h"
#include "ide/Utils.h"
#include "platform/win32/Win32Platform.h"
#include "fixtures/TestMachine.h"

#include <shlobj.h>

namespace corvalis {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A package made from the sample product, installed into a real folder by the installer's
// file steps and removed again by the copy of the installer its Uninstall folder keeps.
class ShellIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        package_ =
            test.MakePackage("Corvalis Setup", {"2.0.1.0 Standard Edition With Sources", true, true}, "enginerun.exe");
        installDir_ = test.Root() + "\\Program Files\\Halvorn\\Corvalis";
        group_ = test.StartMenuGroup();
    }
    int Run(const std::string& installer, const std::string& arguments)
    {
        return test.Run(installer, arguments, output_);
    }
    std::pair<std::string, std::string> ReadShortcut(const std::string& link)
    {
        win32::ComPtr<IShellLinkA> shellLink;
        win32::ComPtr<IPersistFile> file;
        char target[MAX_PATH] = {};
        char folder[MAX_PATH] = {};
        if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                         shellLink.ReceiveVoid())) &&
            shellLink.As(file, IID_IPersistFile) && SUCCEEDED(file->Load(win32::Widen(link).c_str(), STGM_READ))) {
            shellLink->GetPath(target, MAX_PATH, nullptr, 0);
            shellLink->GetWorkingDirectory(folder, MAX_PATH);
        }
        return {target, folder};
    }

    testing::TestMachine test{"shell"};
    Win32Platform& machine = test.machine;
    std::string package_;
    std::string installDir_;
    std::string group_;
    std::string output_;
};

TEST_F(ShellIntegrationTest, AnInstalledPackageLeavesItsFilesShortcutsEntryAndKeyAndTheRemovalOnlyTheUninstallFolder)
{
    ASSERT_EQ(Run(package_ + "\\setup.exe", "install \"" + installDir_ + "\""), 0) << output_;
    EXPECT_TRUE(machine.files.FileExists(installDir_ + "\\Help\\CRV.HLP"));
    EXPECT_TRUE(machine.files.FileExists(installDir_ + "\\Demos\\DemoApp\\CRVDemo.dpr"));
    EXPECT_THAT(test.Names(installDir_ + "\\Uninstall"),
                ::testing::UnorderedElementsAre("setup.exe", "unrar.exe", "version", "withsrcs", "metapvds"));

    const std::vector<std::string> links = test.Names(group_);
    EXPECT_EQ(links.size(), 11u);
    EXPECT_EQ(ReadShortcut(group_ + "\\Corvalis Demo Project.lnk"),
              std::make_pair(installDir_ + "\\Demos\\DemoApp\\CRVDemo.dpr", installDir_ + "\\Demos\\DemoApp"));
    EXPECT_EQ(ReadShortcut(group_ + "\\Uninstall Corvalis.lnk").first, installDir_ + "\\Uninstall\\setup.exe");

    const auto entry = testing::SnapshotKey(machine.registry, RootKey::LocalMachine, UninstallKey);
    EXPECT_EQ(entry.at("UNINSTALLSTRING"), "s:\"" + installDir_ + "\\Uninstall\\setup.exe\"");
    EXPECT_EQ(entry.at("DISPLAYNAME"), "s:Corvalis VCL Component 2.0.1.0 Standard Edition With Sources");
    const auto product = testing::SnapshotKey(machine.registry, RootKey::LocalMachine, ProductKey);
    EXPECT_EQ(product.at("INSTALLDIR"), "s:" + installDir_);
    EXPECT_EQ(product.at("INSTALLEDVERSION"), "s:2.0.1.0 Standard Edition With Sources");

    ASSERT_EQ(Run(installDir_ + "\\Uninstall\\setup.exe", "remove"), 0) << output_;
    EXPECT_THAT(test.Names(installDir_), ElementsAre("Uninstall"));
    EXPECT_THAT(test.Names(installDir_ + "\\Uninstall"), IsEmpty());
    EXPECT_TRUE(test.RunningInstallerWasPutAside(installDir_ + "\\Uninstall\\setup.exe"));
    EXPECT_FALSE(machine.files.DirectoryExists(group_));
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, UninstallKey));
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
}

} // namespace
} // namespace corvalis
