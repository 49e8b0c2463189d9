#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fixtures/MemoryFixture.h"
#include "fixtures/Win32FixtureFiles.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/Utils.h"
#include "platform/win32/Win32Platform.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;
using testing::Ide;
using testing::IdeFixture;

// The IDEs laid down in the prefix's real registry and file system, found again.
class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        programFiles_ = machine.files.TempDirectory() + "\\Program Files " + std::to_string(::GetCurrentProcessId());
        machine.files.ForceDirectories(programFiles_);
    }
    void TearDown() override
    {
        for (const IdeFixture& fixture : installed_) {
            fixture.Uninstall(machine.platform);
            if (fixture.IsBds() && fixture.KeyVersion() >= 5)
                machine.files.DeleteTree(ExtractFileDir(fixture.EnvOptionsFile(machine.platform)));
        }
        machine.files.DeleteTree(programFiles_);
    }
    const IdeFixture& Install(const IdeFixture& fixture)
    {
        testing::Win32FixtureFiles files(machine.files, ExtractFileDir(machine.processes.ExecutablePath()));
        fixture.Install(machine.platform, files);
        return installed_.emplace_back(fixture);
    }

    Win32Platform machine;
    std::string programFiles_;

private:
    std::vector<IdeFixture> installed_;
};

TEST_F(DiscoveryTest, EveryGenerationIsFoundInTheRegistryThatThe32BitIdesWrite)
{
    for (const IdeFixture& fixture : testing::FullFixtureSet(programFiles_))
        Install(fixture);
    TCmdOptions options({}, machine.files, machine.console);
    const TCompileTargetList targets(machine.platform, options);
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
}

TEST_F(DiscoveryTest, TheProjectsFolderOfBds2005IsReadFromItsResourceModule)
{
    Install(IdeFixture(Ide::Delphi2005, programFiles_));
    const TCompileTarget target(machine.platform, "BDS", "3.0", "BDS");
    EXPECT_EQ(target.DefaultProjectsDir,
              *machine.shell.FolderPath(SpecialFolder::Personal) + "\\" + testing::kProjectsFolderName);
}

TEST_F(DiscoveryTest, TheCommonFolderIsWhatTheIdesEnvironmentScriptSetsThroughTheCommandInterpreter)
{
    const IdeFixture& fixture = Install(IdeFixture(Ide::Rad2010, programFiles_));
    machine.files.WriteFile(fixture.RootDir() + "\\bin\\rsvars.bat",
                            "@SET BDS=" + fixture.RootDir() + "\r\n@SET BDSCOMMONDIR=D:\\Shared\\RAD Studio\\7.0\r\n");
    const TCompileTarget target(machine.platform, "BDS", "7.0", "BDS");
    EXPECT_EQ(target.DefaultCommonDir, "D:\\Shared\\RAD Studio\\7.0");
}

TEST_F(DiscoveryTest, SavingWritesTheEditedListsIntoTheRealRegistry)
{
    const IdeFixture& fixture = Install(IdeFixture(Ide::Delphi7, programFiles_));
    TCompileTarget target(machine.platform, "Delphi", "7.0", "Delphi");
    target.SearchPaths.push_back("$(DELPHI)\\Corvalis\\Delphi7");
    target.KnownPackages.Add("$(DELPHI)\\Corvalis\\Delphi7\\CorvalisDsgnD7.bpl", "Corvalis Component");
    target.SavePaths();
    target.SavePackageLists();

    const TCompileTarget reloaded(machine.platform, "Delphi", "7.0", "Delphi");
    EXPECT_EQ(reloaded.SearchPaths.back(), "$(DELPHI)\\Corvalis\\Delphi7");
    ASSERT_NE(reloaded.FindPackage("CorvalisDsgnD7.bpl"), nullptr);
    EXPECT_EQ(reloaded.FindPackage("CorvalisDsgnD7.bpl")->Description, "Corvalis Component");
    EXPECT_EQ(machine.registry.OpenKey(RootKey::CurrentUser, fixture.UserKey() + "\\Library", KeyAccess::Read)
                  ->ReadString("Package DPL Output"),
              "$(DELPHI)\\Projects\\Bpl");
}

} // namespace
} // namespace corvalis
