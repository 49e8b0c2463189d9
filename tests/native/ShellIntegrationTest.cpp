#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/ShellIntegration.h"
#include "engine/uLogger.h"
#include "fixtures/RegistrySnapshot.h"
#include "native/InstallerMachine.h"
#include "product/ProductTree.h"
#include "platform/Exceptions.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::ThrowsMessage;

class ShellIntegrationTest : public ::testing::Test {
protected:
    explicit ShellIntegrationTest(product::PackageContent content = testing::InstallerMachine::DefaultPackage())
        : installer(content), data(installer.Start()), files(installer.machine.files),
          shell(installer.machine.platform, data)
    {
        // As the extraction leaves it.
        data.InstallDir = "C:\\Program Files\\Halvorn\\Corvalis";
        files.ForceDirectories(data.InstallDir);
    }
    std::vector<std::string> ShortcutFiles()
    {
        std::vector<std::string> names;
        for (const auto& shortcut : installer.machine.shell.Shortcuts())
            names.push_back(shortcut.linkFile.substr(data.StartMenuFolder().size() + 1));
        return names;
    }
    std::string Uninstall(const std::string& file) { return data.InstallDir + "\\Uninstall\\" + file; }

    testing::InstallerMachine installer;
    TInstallData& data;
    MemoryFiles& files;
    TShellIntegration shell;
};

TEST_F(ShellIntegrationTest, TheGroupGetsEveryShortcutInOrderAndIsOpened)
{
    shell.CreateShortcuts();
    EXPECT_THAT(ShortcutFiles(),
                ElementsAre("Corvalis Demo Project.lnk", "Corvalis Non-Visual Demo Project.lnk",
                            "Corvalis BDE Simple Demo Project.lnk", "Corvalis ADO Simple Demo Project.lnk",
                            "Corvalis Metadata Loading Demo Project.lnk", "Corvalis Events Demo Project.lnk",
                            "Simple Demo Projects for Third-party Connection Libraries.lnk", "Corvalis Help.lnk",
                            "Corvalis User's Guide.lnk", "Corvalis Web Site.lnk", "Uninstall Corvalis.lnk"));
    const auto& shortcuts = installer.machine.shell.Shortcuts();
    EXPECT_EQ(shortcuts[2].target, data.InstallDir + "\\Demos\\Standard\\BDE\\BDEDemo.dpr");
    EXPECT_EQ(shortcuts[2].workingFolder, data.InstallDir + "\\Demos\\Standard\\BDE\\BDEDemo");
    EXPECT_EQ(shortcuts[7].workingFolder, "");
    EXPECT_EQ(shortcuts[10].target, data.InstallDir + "\\Uninstall\\setup.exe");
    EXPECT_THAT(installer.machine.shell.Opened(), ElementsAre(data.StartMenuFolder()));
}

TEST_F(ShellIntegrationTest, OnlyMissingLevelsOfTheGroupAreCreated)
{
    files.ForceDirectories(data.ProgramsFolder + "\\Tools");
    files.AddFile(data.ProgramsFolder + "\\Tools\\Other.lnk");
    data.StartFolder = "Tools\\Corvalis";
    shell.CreateShortcuts();
    EXPECT_TRUE(files.FileExists(data.ProgramsFolder + "\\Tools\\Other.lnk"));
    EXPECT_TRUE(files.FileExists(data.ProgramsFolder + "\\Tools\\Corvalis\\Corvalis Help.lnk"));

    data.StartFolder = "";
    shell.CreateShortcuts();
    EXPECT_TRUE(files.FileExists(data.ProgramsFolder + "\\Corvalis Help.lnk"));
}

TEST_F(ShellIntegrationTest, AGroupThatCannotBeCreatedStopsWithTheSystemsError)
{
    data.ProgramsFolder = "C:\\No Profile\\Programs";
    EXPECT_THAT([&] { shell.CreateShortcuts(); },
                ThrowsMessage<EOSError>("System Error.  Code: 3.\r\nThe system cannot find the path specified"));
}

class ShellIntegrationWithoutConnectivityTest : public ShellIntegrationTest {
protected:
    ShellIntegrationWithoutConnectivityTest()
        : ShellIntegrationTest({"2.0.1.0", false, false, "C:\\Build\\unrar.exe", "C:\\Build\\setup.exe"})
    {
    }
};

TEST_F(ShellIntegrationWithoutConnectivityTest, TheThirdPartyDemosHaveNoShortcutAndTheOldMarkerGoes)
{
    shell.CreateShortcuts();
    EXPECT_EQ(ShortcutFiles().size(), 10u);
    EXPECT_THAT(ShortcutFiles(),
                ::testing::Not(::testing::Contains("Simple Demo Projects for Third-party Connection Libraries.lnk")));
    files.AddFile(Uninstall("metapvds"));
    files.AddFile(Uninstall("withsrcs"));
    shell.CopyUninstallFiles();
    EXPECT_FALSE(files.FileExists(Uninstall("metapvds")));
    EXPECT_FALSE(files.FileExists(Uninstall("withsrcs")));
    EXPECT_EQ(files.ReadFile(Uninstall("version")), "2.0.1.0");
}

TEST_F(ShellIntegrationTest, TheUninstallEntryNamesTheVersionAndAQuotedUninstaller)
{
    shell.WriteUninstallEntry();
    const std::string uninstaller = data.InstallDir + "\\Uninstall\\setup.exe";
    EXPECT_THAT(testing::SnapshotKey(installer.machine.registry, RootKey::LocalMachine, UninstallKey),
                ::testing::ContainerEq(testing::RegistrySnapshot{
                    {"DISPLAYNAME", "s:Corvalis VCL Component 2.0.1.0 Standard Edition With Sources"},
                    {"DISPLAYVERSION", "s:2.0.1.0 Standard Edition With Sources"},
                    {"HELPLINK", std::string("s:") + ProductWebSite},
                    {"INSTALLLOCATION", "s:" + data.InstallDir},
                    {"PUBLISHER", "s:Halvorn"},
                    {"URLINFOABOUT", std::string("s:") + ProductWebSite},
                    {"URLUPDATEINFO", std::string("s:") + ProductWebSite},
                    {"UNINSTALLSTRING", "s:\"" + uninstaller + "\""},
                    {"DISPLAYICON", "s:" + uninstaller + ",0"}}));
    shell.DeleteUninstallEntry();
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, UninstallKey));
    shell.DeleteUninstallEntry();
}

TEST_F(ShellIntegrationTest, WithoutAdministratorRightsTheEntryIsSilentlyMissing)
{
    installer.machine.registry.SetReadOnly(RootKey::LocalMachine, true);
    shell.WriteUninstallEntry();
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, UninstallKey));
}

TEST_F(ShellIntegrationTest, TheUninstallFolderGetsThePackagesFiles)
{
    shell.CopyUninstallFiles();
    for (const char* file : {"setup.exe", "unrar.exe", "version", "withsrcs", "metapvds"})
        EXPECT_TRUE(files.FileExists(Uninstall(file))) << file;
    EXPECT_EQ(files.ReadFile(Uninstall("setup.exe")), "MZ setup");
}

TEST_F(ShellIntegrationTest, AnInstallerNamedOtherwiseLeavesNoCopyOfItself)
{
    files.AddFile(Uninstall("setup.exe"), "old");
    files.MoveFile(std::string(testing::InstallerMachine::kPackageFolder) + "\\setup.exe",
                   std::string(testing::InstallerMachine::kPackageFolder) + "\\corvalis-2.0.1.exe");
    shell.CopyUninstallFiles();
    EXPECT_FALSE(files.FileExists(Uninstall("setup.exe")));
    EXPECT_TRUE(files.FileExists(Uninstall("unrar.exe")));
}

TEST_F(ShellIntegrationTest, RunFromTheUninstallFolderItselfNothingIsCopiedOrDeleted)
{
    shell.CopyUninstallFiles();
    files.DeleteFile(Uninstall("metapvds"));
    files.SetCurrentDirectory(data.InstallDir + "\\UNINSTALL");
    files.DeleteFile(Uninstall("withsrcs"));
    shell.CopyUninstallFiles();
    EXPECT_FALSE(files.FileExists(Uninstall("metapvds")));
    EXPECT_FALSE(files.FileExists(Uninstall("withsrcs")));
    EXPECT_TRUE(files.FileExists(Uninstall("version")));
}

class RemovalTest : public ShellIntegrationTest {
protected:
    // An installation made by this package, its installer running from the Uninstall folder.
    void InstallProduct()
    {
        product::WriteProductTree(files, data.InstallDir, {});
        files.AddFile(data.InstallDir + "\\setup.log", "[log]");
        files.AddFile(data.InstallDir + "\\Delphi7\\CorvalisD7.bpl");
        shell.CreateShortcuts();
        shell.WriteUninstallEntry();
        shell.CopyUninstallFiles();
        data.ProductInstalled = true;
        data.SaveToRegistry();
    }
    std::vector<std::string> LogLines(const TLogToList& log)
    {
        std::vector<std::string> lines;
        for (const TLogMessage& message : log.Messages)
            lines.push_back(installer.machine.locale.WideToAnsi(message.Text));
        return lines;
    }
};

TEST_F(RemovalTest, EverythingListedGoesToTheRecycleBinAndTheRunningInstallerToTheTemporaryFolder)
{
    InstallProduct();
    files.AddFile(data.InstallDir + "\\Demos\\Mine\\MyProject.dpr", "the user's");
    files.SetInUse(Uninstall("setup.exe"), true);
    TLogToList log(installer.machine.locale);
    shell.RemoveProductFiles(log);

    EXPECT_THAT(files.Enumerate(data.InstallDir), ElementsAre(::testing::Field(&DirEntry::name, "Uninstall")));
    EXPECT_THAT(files.Enumerate(data.InstallDir + "\\Uninstall"), IsEmpty());
    EXPECT_TRUE(files.FileExists(files.TempDirectory() + "\\setup.exe"));
    EXPECT_THAT(files.Recycled(), ::testing::Contains(data.InstallDir + "\\Demos"));
    EXPECT_THAT(files.Recycled(), ::testing::Contains(data.StartMenuFolder()));
    EXPECT_FALSE(files.DirectoryExists(data.StartMenuFolder()));
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, UninstallKey));
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
    EXPECT_FALSE(data.ProductInstalled);

    const std::vector<std::string> lines = LogLines(log);
    EXPECT_EQ(lines.front(), "Delete component files...");
    EXPECT_EQ(lines[1], "Deleting CBuilder5");
    EXPECT_EQ(lines[3], "Deleting CBuilder2007");
    EXPECT_EQ(lines[21], "Deleting Int");
    EXPECT_THAT(
        std::vector<std::string>(lines.begin() + 22, lines.end()),
        ElementsAre("Delete start menu group...", "Completed", "Delete Start menu Program Folder...", "Completed", ""));
}

TEST_F(RemovalTest, AnInstallationFolderLeftEmptyGoesToo)
{
    InstallProduct();
    files.DeleteTree(data.InstallDir + "\\Uninstall");
    TLogToList log(installer.machine.locale);
    shell.RemoveProductFiles(log);
    EXPECT_FALSE(files.DirectoryExists(data.InstallDir));
}

struct GroupCase {
    const char* name;
    const char* startFolder;       // the group the installation recorded
    bool programsFolder;           // false: the system has none, the group lies at the drive root
    const char* othersShortcut;    // another program's, below the Programs folder
    std::vector<const char*> kept; // folders below the Programs folder
    std::vector<const char*> gone;
};

class StartMenuRemovalTest : public RemovalTest, public ::testing::WithParamInterface<GroupCase> {};

TEST_P(StartMenuRemovalTest, OnlyTheInstallersShortcutsAndTheLevelsLeftEmptyGo)
{
    const GroupCase& test = GetParam();
    if (!test.programsFolder)
        data.ProgramsFolder.clear();
    const std::string programs = data.ProgramsFolder;
    const auto below = [&](const std::string& path) { return programs + "\\" + path; };
    files.AddFile(below(test.othersShortcut), "[shortcut]");
    data.StartFolder = test.startFolder;
    InstallProduct();
    const std::vector<MemoryShell::Shortcut> made = installer.machine.shell.Shortcuts();
    ASSERT_EQ(made.size(), 11u);

    // A later run starts from the default group, as removal and update do.
    TInstallData& later = installer.Start();
    later.ProgramsFolder = programs;
    TLogToList log(installer.machine.locale);
    TShellIntegration(installer.machine.platform, later).RemoveProductFiles(log);

    for (const MemoryShell::Shortcut& shortcut : made)
        EXPECT_FALSE(files.FileExists(shortcut.linkFile)) << shortcut.linkFile;
    EXPECT_TRUE(files.FileExists(below(test.othersShortcut)));
    for (const char* folder : test.kept)
        EXPECT_TRUE(files.DirectoryExists(below(folder))) << folder;
    for (const char* folder : test.gone)
        EXPECT_FALSE(files.DirectoryExists(below(folder))) << folder;
}

INSTANTIATE_TEST_SUITE_P(
    Groups, StartMenuRemovalTest,
    ::testing::Values(
        GroupCase{"TheDefault", "Halvorn\\Corvalis VCL Edition", true, "Editor\\Editor.lnk", {"Editor"}, {"Halvorn"}},
        GroupCase{"AnExistingGroup", "Accessories", true, "Accessories\\Notepad.lnk", {"Accessories"}, {}},
        GroupCase{"ASharedFirstLevel", "Tools\\Corvalis", true, "Tools\\Editor.lnk", {"Tools"}, {"Tools\\Corvalis"}},
        GroupCase{"TheProgramsFolderItself", ".", true, "Notepad.lnk", {"."}, {}},
        GroupCase{"AboveTheProgramsFolder", "..\\Corvalis", true, "Notepad.lnk", {".", "..\\Corvalis"}, {}},
        GroupCase{
            "NoProgramsFolder", "Halvorn\\Corvalis VCL Edition", false, "Tools\\Editor.lnk", {"Tools"}, {"Halvorn"}}),
    [](const ::testing::TestParamInfo<GroupCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace corvalis
