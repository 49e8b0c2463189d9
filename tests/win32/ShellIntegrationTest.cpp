#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "engine/uLogger.h"
#include "fixtures/RegistrySnapshot.h"
#include "ide/Utils.h"
#include "platform/win32/Win32Platform.h"
#include "product/InstallerPackage.h"

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
        const std::string bin = ExtractFileDir(machine.processes.ExecutablePath());
        root_ = machine.files.TempDirectory() + "\\corvalis shell " + std::to_string(::GetCurrentProcessId());
        package_ = root_ + "\\Corvalis Setup";
        installDir_ = root_ + "\\Program Files\\Halvorn\\Corvalis";
        product::WriteInstallerPackage(machine.files, package_,
                                       {"2.0.1.0 Standard Edition With Sources", true, true, PathJoin(bin, "unrar.exe"),
                                        PathJoin(bin, "enginerun.exe")});
        group_ = *machine.shell.FolderPath(SpecialFolder::Programs) + "\\Halvorn\\Corvalis VCL Edition";
    }
    void TearDown() override
    {
        machine.files.DeleteTree(root_);
        machine.files.DeleteTree(ExtractFileDir(group_));
        machine.registry.DeleteKey(RootKey::LocalMachine, ProductKey);
        machine.registry.DeleteKey(RootKey::LocalMachine, UninstallKey);
    }
    // Runs the engine's copy of the installer; its output lines and its exit code.
    int Run(const std::string& installer, const std::string& arguments)
    {
        TLogToList log(machine.locale);
        const int code = RunProcess(machine.processes, machine.locale, log, "\"" + installer + "\" " + arguments,
                                    ExtractFileDir(installer));
        for (const TLogMessage& message : log.Messages)
            output_ += machine.locale.WideToAnsi(message.Text) + "\n";
        return code;
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
    // Windows cannot delete a running program, so the removal moves it into the temporary
    // folder; Wine can, and moves it to the recycle bin (its trash under XDG_DATA_HOME) at once.
    bool RunningInstallerWasPutAside(const std::string& parked)
    {
        if (machine.files.FileExists(parked))
            return true;
        const auto data = machine.processes.GetEnv("XDG_DATA_HOME");
        if (!data)
            return false;
        std::string info = "Z:" + *data + "\\Trash\\info";
        std::replace(info.begin(), info.end(), '/', '\\');
        const std::string trashed = "corvalis%20shell%20" + std::to_string(::GetCurrentProcessId()) +
                                    "/Program%20Files/Halvorn/Corvalis/Uninstall/setup.exe";
        for (const DirEntry& entry : machine.files.Enumerate(info))
            if (machine.files.ReadFile(info + "\\" + entry.name).value_or("").find(trashed) != std::string::npos)
                return true;
        return false;
    }
    std::vector<std::string> Names(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const DirEntry& entry : machine.files.Enumerate(folder))
            names.push_back(entry.name);
        return names;
    }

    Win32Platform machine;
    std::string root_;
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
    EXPECT_THAT(Names(installDir_ + "\\Uninstall"),
                ::testing::UnorderedElementsAre("setup.exe", "unrar.exe", "version", "withsrcs", "metapvds"));

    const std::vector<std::string> links = Names(group_);
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

    const std::string parked = machine.files.TempDirectory() + "\\setup.exe";
    machine.files.DeleteFile(parked);
    ASSERT_EQ(Run(installDir_ + "\\Uninstall\\setup.exe", "remove"), 0) << output_;
    EXPECT_THAT(Names(installDir_), ElementsAre("Uninstall"));
    EXPECT_THAT(Names(installDir_ + "\\Uninstall"), IsEmpty());
    EXPECT_TRUE(RunningInstallerWasPutAside(parked));
    EXPECT_FALSE(machine.files.DirectoryExists(group_));
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, UninstallKey));
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
}

} // namespace
} // namespace corvalis
