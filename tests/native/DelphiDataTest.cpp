#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fixtures/MemoryFixture.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;
using testing::Ide;
using testing::IdeFixture;

class DelphiDataTest : public ::testing::Test {
protected:
    DelphiDataTest() { testing::AddCommandInterpreter(machine); }

    void Install(const IdeFixture& fixture)
    {
        testing::MemoryFixtureFiles files(machine);
        fixture.Install(machine.platform, files);
    }
    TCompileTargetList Discover(const std::vector<std::string>& arguments = {})
    {
        options = std::make_unique<TCmdOptions>(arguments, machine.files, machine.console);
        return TCompileTargetList(machine.platform, *options);
    }
    // The target of an IDE alone on a fresh machine.
    std::unique_ptr<TCompileTarget> Only(const IdeFixture& fixture)
    {
        MemoryPlatform& fresh = *machines_.emplace_back(std::make_unique<MemoryPlatform>());
        fresh.locale.SetLanguageAbbreviation(machine.locale.LanguageAbbreviation());
        testing::AddCommandInterpreter(fresh);
        testing::MemoryFixtureFiles files(fresh);
        fixture.Install(fresh.platform, files);
        return std::make_unique<TCompileTarget>(fresh.platform, fixture.Family(), fixture.KeyVersionText(),
                                                fixture.Family());
    }
    std::vector<std::string> Names(const TCompileTargetList& targets)
    {
        std::vector<std::string> names;
        for (int i = 0; i < targets.Count(); ++i)
            names.push_back(targets[i].DisplayName());
        return names;
    }

    MemoryPlatform machine;
    std::unique_ptr<TCmdOptions> options;

private:
    std::vector<std::unique_ptr<MemoryPlatform>> machines_;
};

struct Identity {
    Ide ide;
    std::string displayName;
    int keyVersion;
    int versionNumber;
    std::string productVersion;
    std::string machineKey;
    std::string userKey;
    int personalities;
    std::string letter;
};

TEST_F(DelphiDataTest, EveryGenerationIsFoundWithItsIdentityInDiscoveryOrder)
{
    for (const IdeFixture& fixture : testing::FullFixtureSet())
        Install(fixture);
    const TCompileTargetList targets = Discover();

    const Identity expected[] = {
        {Ide::Delphi5, "Delphi 5.0 (Enterprise)", 5, 5, "5.1", "\\SOFTWARE\\Borland\\Delphi\\5.0",
         "\\SOFTWARE\\Borland\\Delphi\\5.0", psDelphiWin32, "D"},
        {Ide::Delphi6, "Delphi 6.0 (Enterprise)", 6, 6, "6.1", "\\SOFTWARE\\Borland\\Delphi\\6.0",
         "\\SOFTWARE\\Borland\\Delphi\\6.0", psDelphiWin32, "D"},
        {Ide::Delphi7, "Delphi 7.0 (Enterprise)", 7, 7, "7.1", "\\SOFTWARE\\Borland\\Delphi\\7.0",
         "\\SOFTWARE\\Borland\\Delphi\\7.0", psDelphiWin32, "D"},
        {Ide::CBuilder5, "C++Builder 5.0 (Enterprise)", 5, 5, "5.1", "\\SOFTWARE\\Borland\\C++Builder\\5.0",
         "\\SOFTWARE\\Borland\\C++Builder\\5.0", psBCB, "C"},
        {Ide::CBuilder6, "C++Builder 6.0 (Enterprise)", 6, 6, "6.1", "\\SOFTWARE\\Borland\\C++Builder\\6.0",
         "\\SOFTWARE\\Borland\\C++Builder\\6.0", psBCB, "C"},
        {Ide::Delphi2005, "Delphi 2005 (Architect)", 3, 9, "9.1", "\\SOFTWARE\\Borland\\BDS\\3.0",
         "\\SOFTWARE\\Borland\\BDS\\3.0", psDelphiWin32 | psDelphiNet | psCSharpBuilder, "D"},
        {Ide::Bds2006, "Borland Developer Studio 2006 (Professional)", 4, 10, "10.1", "\\SOFTWARE\\Borland\\BDS\\4.0",
         "\\SOFTWARE\\Borland\\BDS\\4.0", psDelphiWin32 | psDelphiNet | psBCB | psCSharpBuilder, "D"},
        {Ide::Rad2007, "CodeGear RAD Studio 2007 ()", 5, 11, "11.1", "\\SOFTWARE\\Borland\\BDS\\5.0",
         "\\SOFTWARE\\Borland\\BDS\\5.0", psDelphiWin32 | psBCB, "D"},
        {Ide::Rad2009, "CodeGear RAD Studio 2009 (Enterprise)", 6, 12, "12.1", "\\SOFTWARE\\CodeGear\\BDS\\6.0",
         "\\SOFTWARE\\CodeGear\\BDS\\6.0", psDelphiWin32 | psBCB, "D"},
        {Ide::Rad2010, "Embarcadero RAD Studio 2010 (Architect)", 7, 14, "14.1", "\\SOFTWARE\\CodeGear\\BDS\\7.0",
         "\\SOFTWARE\\CodeGear\\BDS\\7.0", psDelphiWin32 | psBCB, "D"},
    };
    ASSERT_EQ(targets.Count(), 10);
    for (int i = 0; i < targets.Count(); ++i) {
        const TCompileTarget& t = targets[i];
        const Identity& e = expected[i];
        SCOPED_TRACE(e.displayName);
        EXPECT_EQ(t.DisplayName(), e.displayName);
        EXPECT_EQ(t.KeyVersion, e.keyVersion);
        EXPECT_EQ(t.VersionNumber, e.versionNumber);
        EXPECT_EQ(t.ProductVersion, e.productVersion);
        EXPECT_EQ(t.MachineKey, e.machineKey);
        EXPECT_EQ(t.UserKey, e.userKey);
        EXPECT_EQ(t.PersonalitySet(), e.personalities);
        EXPECT_EQ(t.PersonalityLetter(), e.letter);
        EXPECT_FALSE(t.PersonalEdition);
        EXPECT_EQ(t.RootDir.back() == '\\', false);
        EXPECT_EQ(t.Dcc32File(), t.RootDir + "\\Bin\\dcc32.exe");
    }
}

TEST_F(DelphiDataTest, OnlyVersionKeysWithAUserKeyAndAnExecutableBecomeTargets)
{
    Install(IdeFixture(Ide::Delphi7));
    Install(IdeFixture(Ide::Delphi6).WithoutUserKey());
    Install(IdeFixture(Ide::Delphi5).WithoutExecutable());
    machine.registry.OpenKey(RootKey::LocalMachine, "SOFTWARE\\Borland\\Delphi\\Help", KeyAccess::WriteCreate);
    machine.registry.OpenKey(RootKey::CurrentUser, "SOFTWARE\\Borland\\Delphi\\Help", KeyAccess::WriteCreate);
    EXPECT_THAT(Names(Discover()), ElementsAre("Delphi 7.0 (Enterprise)"));
}

TEST_F(DelphiDataTest, BdsKeysOfUnsupportedVersionsAreSkipped)
{
    for (const char* version : {"1.0", "2.0", "8.0", "9.0"}) {
        const std::string key = std::string("SOFTWARE\\Borland\\BDS\\") + version;
        machine.registry.OpenKey(RootKey::LocalMachine, key, KeyAccess::WriteCreate)->WriteString("RootDir", "C:\\X");
        machine.registry.OpenKey(RootKey::CurrentUser, key, KeyAccess::WriteCreate);
    }
    Install(IdeFixture(Ide::Rad2010));
    EXPECT_THAT(Names(Discover()), ElementsAre("Embarcadero RAD Studio 2010 (Architect)"));
}

TEST_F(DelphiDataTest, TheIgnoreOptionsDropFamiliesAndBdsGoesWithDelphi)
{
    for (Ide ide : {Ide::Delphi7, Ide::CBuilder6, Ide::Rad2007})
        Install(IdeFixture(ide));
    EXPECT_THAT(Names(Discover({"--ignore-bcb"})),
                ElementsAre("Delphi 7.0 (Enterprise)", "CodeGear RAD Studio 2007 ()"));
    EXPECT_THAT(Names(Discover({"--ignore-delphi"})), ElementsAre("C++Builder 6.0 (Enterprise)"));
}

TEST_F(DelphiDataTest, AnotherBdsKeyNameMovesOnlyTheUserKey)
{
    Install(IdeFixture(Ide::Rad2007).WithUserKeyName("Win32Only"));
    Install(IdeFixture(Ide::Delphi7));
    const TCompileTargetList targets = Discover({"-rBDS=Win32Only", "-rDelphi="});
    ASSERT_EQ(targets.Count(), 2);
    EXPECT_EQ(options->BdsRegKey, "Win32Only");
    EXPECT_EQ(options->DelphiRegKey, "Delphi");
    EXPECT_EQ(targets[1].UserKey, "\\SOFTWARE\\Borland\\Win32Only\\5.0");
    EXPECT_EQ(targets[1].MachineKey, "\\SOFTWARE\\Borland\\BDS\\5.0");
}

TEST_F(DelphiDataTest, ABds2007IsNamedByItsPersonalities)
{
    EXPECT_EQ(Only(IdeFixture(Ide::Delphi2007))->ProductName, "CodeGear Delphi for Win32");
    EXPECT_EQ(Only(IdeFixture(Ide::CBuilder2007))->ProductName, "CodeGear C++Builder");
    EXPECT_TRUE(Only(IdeFixture(Ide::CBuilder2007))->IsBCB());
    EXPECT_EQ(Only(IdeFixture(Ide::Rad2007))->ProductName, "CodeGear RAD Studio");
    EXPECT_FALSE(Only(IdeFixture(Ide::Rad2007))->IsBCB());
    EXPECT_EQ(Only(IdeFixture(Ide::Rad2009).WithPersonalities({"Delphi.Win32"}))->ProductName, "CodeGear RAD Studio");
}

TEST_F(DelphiDataTest, EditionsComeFromEditionThenVersionThenTheDatabasePackage)
{
    EXPECT_EQ(Only(IdeFixture(Ide::Delphi5).WithoutDatabasePackage())->Edition, "Standard");
    EXPECT_TRUE(Only(IdeFixture(Ide::Delphi7).WithoutDatabasePackage())->PersonalEdition);
    EXPECT_EQ(Only(IdeFixture(Ide::Delphi7).WithoutDatabasePackage())->Edition, "Personal");
    EXPECT_EQ(Only(IdeFixture(Ide::Delphi6).WithEdition(std::nullopt))->Edition, "Pers");
    EXPECT_EQ(Only(IdeFixture(Ide::Rad2007))->Edition, "");
    EXPECT_EQ(Only(IdeFixture(Ide::Delphi7).WithMachineValue("Edition", "Professional"))->Edition, "Professional");
}

TEST_F(DelphiDataTest, UpdateLevelsAreTheHighestRecorded)
{
    auto target = Only(IdeFixture(Ide::Delphi7)
                           .WithMachineValue("Update #3", "")
                           .WithMachineValue("Pascal RTL Patch", "")
                           .WithMachineValue("Pascal RTL Patch #2", ""));
    EXPECT_EQ(target->UpdateLevel, 3);
    EXPECT_EQ(target->RtlPatchLevel, 2);
    EXPECT_EQ(target->ProductVersion, "7.3");
    EXPECT_EQ(Only(IdeFixture(Ide::Delphi7).WithMachineValue("ProductVersion", "7.0.4.453"))->ProductVersion,
              "7.0.4.453");
    EXPECT_EQ(Only(IdeFixture(Ide::Rad2009).WithMachineValue("UpdatePackInstalled", "Update 4"))->UpdateLevel, 0);
    EXPECT_EQ(Only(IdeFixture(Ide::Rad2009).WithMachineValue("UpdatePackInstalled", "3"))->ProductVersion, "12.3");
}

TEST_F(DelphiDataTest, VersionedNamesCarryTheIdesDigits)
{
    EXPECT_EQ(Only(IdeFixture(Ide::Delphi7))->VersionedName("C:\\D7\\bin\\dcldb.bpl"), "C:\\D7\\bin\\dcldb70.bpl");
    EXPECT_EQ(Only(IdeFixture(Ide::Bds2006))->VersionedName("dcldb.bpl"), "dcldb100.bpl");
    EXPECT_EQ(Only(IdeFixture(Ide::Rad2007))->VersionedName("dcldb.bpl"), "dcldb100.bpl");
    EXPECT_EQ(Only(IdeFixture(Ide::Rad2009))->VersionedName("dcldb.bpl"), "dcldb120.bpl");
    EXPECT_EQ(Only(IdeFixture(Ide::Rad2010))->VersionedName("dcldb.bpl"), "dcldb140.bpl");
}

TEST_F(DelphiDataTest, TheProjectsFolderOfBds2005IsNamedByItsResourceModule)
{
    const std::string documents = *machine.shell.FolderPath(SpecialFolder::Personal);
    auto target = Only(IdeFixture(Ide::Delphi2005));
    EXPECT_EQ(target->DefaultProjectsDir, documents + "\\Borland Studio-Projekte");
    EXPECT_EQ(target->ProjectsDir(), documents + "\\Borland Studio-Projekte");

    // In another language the module is coreide90.DEU, else coreide90.DE, else none.
    const IdeFixture fixture(Ide::Delphi2005);
    Install(fixture);
    machine.locale.SetLanguageAbbreviation("DEU");
    EXPECT_EQ(TCompileTarget(machine.platform, "BDS", "3.0", "BDS").DefaultProjectsDir,
              documents + "\\Borland Studio Projects");
    const std::string module = fixture.RootDir() + "\\Bin\\coreide90.DE";
    machine.files.AddFile(module);
    machine.locale.AddStringResource(module, 64431, "Projekte\\\\Borland\\");
    EXPECT_EQ(TCompileTarget(machine.platform, "BDS", "3.0", "BDS").DefaultProjectsDir,
              documents + "\\Projekte\\Borland");
}

TEST_F(DelphiDataTest, LaterBdsFoldersFollowTheIdesOwnRules)
{
    const std::string documents = *machine.shell.FolderPath(SpecialFolder::Personal);
    const std::string common = *machine.shell.FolderPath(SpecialFolder::CommonDocuments);
    EXPECT_EQ(Only(IdeFixture(Ide::Bds2006))->ProjectsDir(), documents + "\\Borland Studio Projects");
    EXPECT_EQ(Only(IdeFixture(Ide::Bds2006))->CommonDir(), documents + "\\Borland Studio Projects");
    auto target = Only(IdeFixture(Ide::Rad2009));
    EXPECT_EQ(target->ProjectsDir(), documents + "\\RAD Studio\\Projects");
    EXPECT_EQ(target->CommonDir(), common + "\\RAD Studio\\6.0");
    EXPECT_EQ(Only(IdeFixture(Ide::Delphi7))->ProjectsDir(), "C:\\Program Files\\Borland\\Delphi7\\Projects");
}

TEST_F(DelphiDataTest, TheCommonFolderComesFromTheIdesEnvironmentScript)
{
    const IdeFixture fixture(Ide::Rad2010);
    Install(fixture);
    machine.files.WriteFile(fixture.RootDir() + "\\bin\\rsvars.bat",
                            "@SET BDS=" + fixture.RootDir() + "\r\n@SET BDSCOMMONDIR=D:\\Shared\\RAD\r\n");
    const TCompileTarget target(machine.platform, "BDS", "7.0", "BDS");
    EXPECT_EQ(target.DefaultCommonDir, "D:\\Shared\\RAD");
    ASSERT_FALSE(machine.processes.StartedProcesses().empty());
    EXPECT_EQ(machine.processes.StartedProcesses().back().commandLine,
              "C:\\windows\\system32\\cmd.exe /C \"" + fixture.RootDir() + "\\bin\\rsvars.bat && set BDS\"");

    machine.files.DeleteFile(fixture.RootDir() + "\\bin\\rsvars.bat");
    EXPECT_EQ(TCompileTarget(machine.platform, "BDS", "7.0", "BDS").DefaultCommonDir,
              *machine.shell.FolderPath(SpecialFolder::CommonDocuments) + "\\RAD Studio\\7.0");
}

struct MacroCase {
    std::string path;
    std::string expanded;
};

TEST_F(DelphiDataTest, MacrosExpandToFoldersAndVariablesOnce)
{
    machine.processes.SetEnv("WINDIR", "C:\\\\windows");
    const IdeFixture fixture = IdeFixture(Ide::Rad2009, "C:").WithEnvironmentVariable("Boost", "$(BDS)\\boost");
    Install(fixture);
    auto target = std::make_unique<TCompileTarget>(machine.platform, "BDS", "6.0", "BDS");
    target->RootDir = "C:\\RAD";
    const std::string projects = *machine.shell.FolderPath(SpecialFolder::Personal) + "\\RAD Studio\\Projects";
    const MacroCase cases[] = {
        {"$(BDS)\\lib;$(Foo)", "C:\\RAD\\lib;"},
        {"$(BDS", "C:\\RAD"},
        {"$(bds)\\x$(DELPHI)$(BCB)", "C:\\RAD\\xC:\\RADC:\\RAD"},
        {"$(BDSPROJECTSDIR)\\Bpl", projects + "\\Bpl"},
        {"$(BOOST)\\lib", "$(BDS)\\boost\\lib"},
        {"$(WinDir)\\x", "C:\\windows\\x"},
        {"$()", "$()"},
        {"no macro $ ( here", "no macro $ ( here"},
        {"", ""},
    };
    for (const MacroCase& c : cases)
        EXPECT_EQ(target->ExpandDirMacros(c.path), c.expanded) << c.path;
}

TEST_F(DelphiDataTest, AVariableDefinedThroughItselfIsLeftAsWritten)
{
    auto target = Only(IdeFixture(Ide::Rad2010)
                           .WithEnvironmentVariable("BDSPROJECTSDIR", "$(BDSPROJECTSDIR)\\Mine")
                           .WithEnvironmentVariable("BDSCOMMONDIR", "$(BDSPROJECTSDIR)\\Common"));
    EXPECT_EQ(target->ProjectsDir(), "$(BDSPROJECTSDIR)\\Mine");
    EXPECT_EQ(target->CommonDir(), "$(BDSPROJECTSDIR)\\Mine\\Common");
    EXPECT_EQ(target->ExpandDirMacros("$(BDSCOMMONDIR)\\Bpl"), "$(BDSPROJECTSDIR)\\Mine\\Common\\Bpl");

    auto crossed = Only(IdeFixture(Ide::Rad2010)
                            .WithEnvironmentVariable("BDSPROJECTSDIR", "$(BDSCOMMONDIR)\\P")
                            .WithEnvironmentVariable("BDSCOMMONDIR", "$(BDSPROJECTSDIR)\\C"));
    EXPECT_EQ(crossed->ProjectsDir(), "$(BDSPROJECTSDIR)\\C\\P");
    EXPECT_EQ(crossed->CommonDir(), "$(BDSCOMMONDIR)\\P\\C");
}

TEST_F(DelphiDataTest, FoldersBelowKnownFoldersAreWrittenWithTheirMacro)
{
    auto bds = Only(IdeFixture(Ide::Rad2009, "C:"));
    bds->RootDir = "C:\\RAD";
    const std::string projects = bds->ProjectsDir();
    const std::string common = bds->CommonDir();
    EXPECT_EQ(bds->InsertDirMacros("c:\\rad\\lib"), "$(BDS)\\lib");
    EXPECT_EQ(bds->InsertDirMacros("C:\\RAD"), "C:\\RAD");
    EXPECT_EQ(bds->InsertDirMacros("C:\\RADIO\\x"), "C:\\RADIO\\x");
    EXPECT_EQ(bds->InsertDirMacros(projects + "\\Corvalis"), "$(BDSPROJECTSDIR)\\Corvalis");
    EXPECT_EQ(bds->InsertDirMacros(common + "\\Bpl"), "$(BDSCOMMONDIR)\\Bpl");
    EXPECT_EQ(bds->InsertDirMacros("D:\\Corvalis\\Delphi2009"), "D:\\Corvalis\\Delphi2009");

    EXPECT_EQ(Only(IdeFixture(Ide::Delphi7))->InsertDirMacros("C:\\Program Files\\Borland\\Delphi7\\Corvalis\\D7"),
              "$(DELPHI)\\Corvalis\\D7");
    EXPECT_EQ(Only(IdeFixture(Ide::CBuilder6))->InsertDirMacros("C:\\Program Files\\Borland\\CBuilder6\\X"),
              "$(BCB)\\X");
}

TEST(CollapseDoubledBackslashes, KeepsOnlyALeadingPair)
{
    EXPECT_EQ(CollapseDoubledBackslashes("\\\\server\\\\share\\\\\\\\x"), "\\\\server\\share\\x");
    EXPECT_EQ(CollapseDoubledBackslashes("\\\\\\three"), "\\\\three");
    EXPECT_EQ(CollapseDoubledBackslashes("C:\\a\\\\"), "C:\\a\\");
    EXPECT_EQ(CollapseDoubledBackslashes("\\"), "\\");
}

TEST(IdeVersionNames, NameTheVersionsOfTheVersionNumbers)
{
    EXPECT_EQ(IdeVersionNames(5), "5");
    EXPECT_EQ(IdeVersionNames(8), "8");
    EXPECT_EQ(IdeVersionNames(9), "2005");
    EXPECT_EQ(IdeVersionNames(12), "2009");
    EXPECT_EQ(IdeVersionNames(13), "dummy");
    EXPECT_EQ(IdeVersionNames(14), "2010");
}

} // namespace
} // namespace corvalis
