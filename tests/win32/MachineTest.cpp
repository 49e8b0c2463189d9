#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/ShellIntegration.h"
#include "fixtures/MemoryFixture.h"
#include "fixtures/RegistrySnapshot.h"
#include "fixtures/TestMachine.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"

#include <shlobj.h>

namespace corvalis {
namespace {

using ::testing::ElementsAre;

// IDE fixtures and the product laid into the prefix's real registry and file system.
class MachineTest : public ::testing::Test {
protected:
    const TCompileTargetList& Targets() { return targets_.emplace(machine.platform, options_); }

    testing::TestMachine test{"machine"};
    Win32Platform& machine = test.machine;
    const std::string programFiles_ = test.Root() + "\\Program Files";

private:
    TCmdOptions options_{{}, machine.files, machine.console};
    std::optional<TCompileTargetList> targets_;
};

TEST_F(MachineTest, EveryGenerationIsFoundWithWhatItsResourceModuleAndEnvironmentScriptSay)
{
    for (const testing::IdeFixture& fixture : testing::FullFixtureSet(programFiles_))
        test.AddIde(fixture);
    const std::string rad2010 = test.Ides()[9].RootDir();
    machine.files.WriteFile(rad2010 + "\\bin\\rsvars.bat",
                            "@SET BDS=" + rad2010 + "\r\n@SET BDSCOMMONDIR=D:\\Shared\\RAD Studio\\7.0\r\n");
    const TCompileTargetList& targets = Targets();
    std::vector<std::string> names;
    for (int i = 0; i < targets.Count(); ++i)
        names.push_back(targets[i].DisplayName());
    EXPECT_THAT(names,
                ElementsAre("Delphi 5.0 (Enterprise)", "Delphi 6.0 (Enterprise)", "Delphi 7.0 (Enterprise)",
                            "C++Builder 5.0 (Enterprise)", "C++Builder 6.0 (Enterprise)", "Delphi 2005 (Architect)",
                            "Borland Developer Studio 2006 (Professional)", "CodeGear RAD Studio 2007 ()",
                            "CodeGear RAD Studio 2009 (Enterprise)", "Embarcadero RAD Studio 2010 (Architect)"));
    ASSERT_EQ(targets.Count(), 10);
    EXPECT_EQ(targets[2].RootDir, programFiles_ + "\\Borland\\Delphi7");
    EXPECT_EQ(targets[2].KnownPackages.Count(), 6);
    EXPECT_THAT(targets[7].SearchPaths,
                ElementsAre("$(BDS)\\lib", "$(BDS)\\Imports", "$(BDSCOMMONDIR)\\Dcp", "$(BDS)\\include"));
    EXPECT_EQ(targets[5].DefaultProjectsDir,
              *machine.shell.FolderPath(SpecialFolder::Personal) + "\\" + testing::kProjectsFolderName);
    // rsvars.bat, run through the command interpreter.
    EXPECT_EQ(targets[9].DefaultCommonDir, "D:\\Shared\\RAD Studio\\7.0");
}

// Both run as bds.exe: the modules of the process tell them apart.
TEST_F(MachineTest, OnlyTheIdeWhoseOwnExecutableRunsCountsAsRunning)
{
    test.AddIde(testing::IdeFixture(testing::Ide::Rad2007, programFiles_));
    test.AddIde(testing::IdeFixture(testing::Ide::Rad2009, programFiles_));
    const TCompileTargetList& targets = Targets();
    const std::string stop = "corvalis-ide-" + std::to_string(::GetCurrentProcessId());
    const win32::ScopedKernelHandle stopEvent(::CreateEventA(nullptr, TRUE, FALSE, stop.c_str()));
    EXPECT_FALSE(IsIdeRunning(machine.platform, targets[1]));
    const auto ide =
        machine.processes.Start("\"" + targets[1].AppFile + "\" /timeout:60000 /event:" + stop, test.Root()).child;
    ASSERT_NE(ide, nullptr);
    // The snapshot may need a moment to show the new process and its modules.
    for (int attempt = 0; attempt < 100 && !IsIdeRunning(machine.platform, targets[1]); ++attempt)
        ::Sleep(50);
    EXPECT_TRUE(IsIdeRunning(machine.platform, targets[1]));
    EXPECT_FALSE(IsIdeRunning(machine.platform, targets[0]));
    ::SetEvent(stopEvent.Get());
    EXPECT_TRUE(ide->WaitFor(10000));
}

// The target and working folder of a shortcut as the shell reads them.
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

// The installer's file steps, run from a package of the sample product; what the removal
// leaves, the end-to-end tests see.
TEST_F(MachineTest, AnInstalledPackageLeavesItsShortcutsAndItsAddRemoveProgramsEntry)
{
    const std::string package =
        test.MakePackage("Corvalis Setup", {"2.0.1.0 Standard Edition With Sources", true, true}, "enginerun.exe");
    const std::string installDir = programFiles_ + "\\Halvorn\\Corvalis";
    std::string output;
    ASSERT_EQ(test.Run(package + "\\setup.exe", "install \"" + installDir + "\"", output), 0) << output;
    const std::string group = test.StartMenuGroup();
    EXPECT_EQ(test.Names(group).size(), 11u);
    EXPECT_EQ(ReadShortcut(group + "\\Corvalis Demo Project.lnk"),
              std::make_pair(installDir + "\\Demos\\DemoApp\\CRVDemo.dpr", installDir + "\\Demos\\DemoApp"));
    EXPECT_EQ(ReadShortcut(group + "\\Uninstall Corvalis.lnk").first, installDir + "\\Uninstall\\setup.exe");
    const auto entry = testing::SnapshotKey(machine.registry, RootKey::LocalMachine, UninstallKey);
    EXPECT_EQ(entry.at("UNINSTALLSTRING"), "s:\"" + installDir + "\\Uninstall\\setup.exe\"");
    EXPECT_EQ(entry.at("DISPLAYNAME"), "s:Corvalis VCL Component 2.0.1.0 Standard Edition With Sources");
}

} // namespace
} // namespace corvalis
