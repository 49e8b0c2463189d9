#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fixtures/MemoryFixture.h"
#include "fixtures/RegistrySnapshot.h"
#include "ide/DelphiData.h"
#include "ide/EnvOptions.h"
#include "platform/Exceptions.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

TEST(PathList, StoredListsLoadTrimmedUnquotedAndWithoutTrailingDelimiters)
{
    EXPECT_THAT(PathListFromString(" C:\\A\\ ; \"C:\\B\\\";;C:\\C;"), ElementsAre("C:\\A", "C:\\B", "", "C:\\C"));
    EXPECT_EQ(PathListToString(PathListFromString(" C:\\A\\ ; \"C:\\B\\\";;C:\\C;")), "C:\\A;C:\\B;;C:\\C");
    EXPECT_THAT(PathListFromString(""), IsEmpty());
    // Trimmed before the delimiter goes: a blank before it stays.
    EXPECT_THAT(PathListFromString("\" quoted \\\"; \"\" ;\t$(BDS)\\lib\t"), ElementsAre("quoted ", "", "$(BDS)\\lib"));
    EXPECT_THAT(PathListFromString("\""), ElementsAre("\""));
    EXPECT_EQ(PathListToString({}), "");
    EXPECT_EQ(PathListToString({"", "a b"}), ";a b");
}

TEST(TDelphiPackageList, AddingTakesTheFileNameAsDefaultDescriptionAndLooksUpWithoutCase)
{
    TDelphiPackageList list;
    list.Add("$(DELPHI)\\Bin\\dclado70.bpl", "");
    list.Add("C:\\x\\CorvalisDsgnD7.bpl", "Corvalis Component");
    EXPECT_EQ(list[0].Description, "dclado70");
    EXPECT_EQ(list[0].Name(), "dclado70.bpl");
    EXPECT_EQ(list.IndexOf("$(delphi)\\bin\\DCLADO70.BPL"), 0);
    EXPECT_EQ(list.IndexOf("dclado70.bpl"), -1);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 1);
}

class DelphiDataStoreTest : public ::testing::Test {
protected:
    DelphiDataStoreTest() { testing::AddCommandInterpreter(machine); }

    TCompileTarget& Load(const IdeFixture& fixture)
    {
        testing::MemoryFixtureFiles files(machine);
        fixture.Install(machine.platform, files);
        target = std::make_unique<TCompileTarget>(machine.platform, fixture.Family(), fixture.KeyVersionText(),
                                                  fixture.Family());
        return *target;
    }
    std::unique_ptr<IRegistryKey> UserKey(const IdeFixture& fixture, const std::string& subkey)
    {
        return machine.registry.OpenKey(RootKey::CurrentUser, fixture.UserKey() + subkey, KeyAccess::Read);
    }
    std::string EnvOptionsValue(const IdeFixture& fixture, const std::string& element)
    {
        return TEnvOptions(machine.platform, fixture.EnvOptionsFile(machine.platform))
            .Value(element)
            .value_or("<none>");
    }

    MemoryPlatform machine;
    std::unique_ptr<TCompileTarget> target;
};

TEST_F(DelphiDataStoreTest, ADelphiTargetLoadsItsListsFromTheRegistry)
{
    TCompileTarget& t = Load(IdeFixture(Ide::Delphi7)
                                 .WithLibraryValue("Debug DCU Path", "$(DELPHI)\\Lib\\Debug\\")
                                 .WithEnvironmentVariable("TOOLS", "C:\\tools")
                                 .WithDisabledPackage("$(DELPHI)\\Bin\\dclact70.bpl", "Borland ActionBar Components"));
    EXPECT_THAT(t.SearchPaths,
                ElementsAre("$(DELPHI)\\Lib", "$(DELPHI)\\Bin", "$(DELPHI)\\Imports", "$(DELPHI)\\Projects\\Bpl"));
    EXPECT_THAT(t.BrowsingPaths, ElementsAre("$(DELPHI)\\Source\\Vcl", "$(DELPHI)\\Source\\Rtl\\Common"));
    EXPECT_THAT(t.DebugDcuPaths, ElementsAre("$(DELPHI)\\Lib\\Debug"));
    EXPECT_EQ(t.BplOutputDir, "$(DELPHI)\\Projects\\Bpl");
    EXPECT_EQ(t.BplDir(), "C:\\Program Files\\Borland\\Delphi7\\Projects\\Bpl");
    EXPECT_THAT(t.EnvVars, ElementsAre("TOOLS=C:\\tools"));
    EXPECT_EQ(t.KnownPackages.Count(), 6);
    EXPECT_EQ(t.KnownIdePackages.Count(), 2);
    ASSERT_EQ(t.DisabledPackages.Count(), 1);
    EXPECT_EQ(t.DisabledPackages[0].Description, "Borland ActionBar Components");
    EXPECT_THAT(t.CppSearchPaths, IsEmpty());
}

TEST_F(DelphiDataStoreTest, OutputFoldersDefaultToTheProjectsBplFolderOnlyOutsideBds)
{
    TCompileTarget& delphi = Load(IdeFixture(Ide::Delphi7)
                                      .WithLibraryValue("Package DPL Output", std::nullopt)
                                      .WithLibraryValue("Package DCP Output", std::nullopt));
    EXPECT_EQ(delphi.BplOutputDir, "C:\\Program Files\\Borland\\Delphi7\\Projects\\BPL");
    EXPECT_EQ(delphi.DcpOutputDir, "C:\\Program Files\\Borland\\Delphi7\\Projects\\BPL");
    TCompileTarget& bds = Load(IdeFixture(Ide::Bds2006)
                                   .WithLibraryValue("Package DPL Output", std::nullopt)
                                   .WithLibraryValue("Package DCP Output", std::nullopt));
    EXPECT_EQ(bds.BplOutputDir, "");
    EXPECT_EQ(bds.DcpOutputDir, "");
}

TEST_F(DelphiDataStoreTest, TheDebuggingKeyServesWhenTheLibraryHasNoDebugPath)
{
    EXPECT_THAT(Load(IdeFixture(Ide::Delphi7)).DebugDcuPaths, ElementsAre("$(DELPHI)\\Lib\\Debug"));
    EXPECT_THAT(Load(IdeFixture(Ide::Rad2007)).DebugDcuPaths, ElementsAre("$(BDS)\\lib\\debug"));
}

TEST_F(DelphiDataStoreTest, ABds2007TargetTakesItsListsFromEnvOptionsFirst)
{
    const IdeFixture fixture = IdeFixture(Ide::Rad2007)
                                   .WithLibraryValue("Search Path", "$(BDS)\\registry only")
                                   .WithEnvOptionsValue("CBuilderLibraryPath", "$(BDS)\\file only");
    TCompileTarget& t = Load(fixture);
    EXPECT_THAT(t.SearchPaths,
                ElementsAre("$(BDS)\\lib", "$(BDS)\\Imports", "$(BDSCOMMONDIR)\\Dcp", "$(BDS)\\include"));
    EXPECT_THAT(t.PackageSearchPaths, ElementsAre("$(BDSCOMMONDIR)\\Bpl"));
    EXPECT_EQ(t.DcpOutputDir, "$(BDSCOMMONDIR)\\Dcp");
    EXPECT_EQ(t.BplOutputDir, "$(BDSCOMMONDIR)\\Bpl");
    EXPECT_EQ(t.DcpDir(), *machine.shell.FolderPath(SpecialFolder::CommonDocuments) + "\\RAD Studio\\5.0\\Dcp");
    // The registry's C++ key replaces what the file gave.
    EXPECT_THAT(t.CppIncludePaths, ElementsAre("$(BDS)\\include", "$(BDS)\\include\\vcl"));
    EXPECT_THAT(t.CppSearchPaths, ElementsAre("$(BDS)\\lib", "$(BDS)\\lib\\obj"));
    EXPECT_THAT(t.CppLibraryPaths, ElementsAre("$(BDS)\\lib", "$(BDS)\\lib\\obj", "$(BDS)\\lib\\psdk"));

    t.SavePaths();
    EXPECT_EQ(UserKey(fixture, "\\Library")->ReadString("Search Path"),
              "$(BDS)\\lib;$(BDS)\\Imports;$(BDSCOMMONDIR)\\Dcp;$(BDS)\\include");
    EXPECT_EQ(EnvOptionsValue(fixture, "Win32LibraryPath"),
              "$(BDS)\\lib;$(BDS)\\Imports;$(BDSCOMMONDIR)\\Dcp;$(BDS)\\include");
}

TEST_F(DelphiDataStoreTest, TheOutputFolderOfCppPackagesWinsOverTheDllOutputPath)
{
    TCompileTarget& t = Load(IdeFixture(Ide::Delphi2007)
                                 .WithEnvOptionsValue("CBuilderBPLOutputPath", "C:\\CppBpl\\")
                                 .WithEnvOptionsValue("Win32DLLOutputPath", "C:\\DelphiBpl"));
    EXPECT_EQ(t.BplOutputDir, "C:\\CppBpl");
    EXPECT_THAT(t.PackageSearchPaths, ElementsAre("C:\\DelphiBpl"));
    // Without the C++ personality the file's C++ lists are not read.
    EXPECT_THAT(t.CppIncludePaths, IsEmpty());
}

TEST_F(DelphiDataStoreTest, AMissingPropertyGroupLeavesTheRegistryToServe)
{
    const IdeFixture fixture = IdeFixture(Ide::Rad2009).WithLibraryValue("Search Path", "$(BDS)\\registry");
    testing::MemoryFixtureFiles files(machine);
    fixture.Install(machine.platform, files);
    machine.files.WriteFile(fixture.EnvOptionsFile(machine.platform),
                            "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\"/>");
    const TCompileTarget t(machine.platform, "BDS", "6.0", "BDS");
    EXPECT_THAT(t.SearchPaths, ElementsAre("$(BDS)\\registry"));
    EXPECT_EQ(t.BplOutputDir, "$(BDSCOMMONDIR)\\Bpl");
}

TEST_F(DelphiDataStoreTest, SavePathsWritesTheListsBackAndOnlyWhereTheIdeKeepsThem)
{
    const IdeFixture fixture = IdeFixture(Ide::Delphi7).WithLibraryValue("Debug DCU Path", std::nullopt);
    TCompileTarget& t = Load(fixture);
    t.SearchPaths.push_back("C:\\Corvalis\\Delphi7");
    t.BrowsingPaths.insert(t.BrowsingPaths.begin(), "C:\\Corvalis\\Sources");
    t.DebugDcuPaths = {"C:\\Debug"};
    t.SavePaths();

    auto library = UserKey(fixture, "\\Library");
    EXPECT_EQ(library->ReadString("Search Path"),
              "$(DELPHI)\\Lib;$(DELPHI)\\Bin;$(DELPHI)\\Imports;$(DELPHI)\\Projects\\Bpl;C:\\Corvalis\\Delphi7");
    EXPECT_EQ(library->ReadString("Browsing Path"),
              "C:\\Corvalis\\Sources;$(DELPHI)\\Source\\Vcl;$(DELPHI)\\Source\\Rtl\\Common");
    EXPECT_FALSE(library->ValueExists("Debug DCU Path"));
    EXPECT_EQ(library->ReadString("Package DPL Output"), "$(DELPHI)\\Projects\\Bpl");
    EXPECT_EQ(UserKey(fixture, "\\Debugging")->ReadString("Debug DCUs Path"), "C:\\Debug");
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::CurrentUser, fixture.UserKey() + "\\CppPaths"));
}

TEST_F(DelphiDataStoreTest, SavingWritesTheChangedValuesAndNothingElse)
{
    for (Ide ide : {Ide::Delphi5, Ide::CBuilder6, Ide::Bds2006, Ide::Rad2007, Ide::Rad2010}) {
        const IdeFixture fixture(ide);
        TCompileTarget& t = Load(fixture);
        SCOPED_TRACE(t.DisplayName());
        const auto before = testing::SnapshotKey(machine.registry, RootKey::CurrentUser, fixture.UserKey());
        t.SavePaths();
        t.SavePackageLists();
        EXPECT_THAT(testing::Differences(
                        before, testing::SnapshotKey(machine.registry, RootKey::CurrentUser, fixture.UserKey())),
                    IsEmpty());

        t.SearchPaths.push_back("C:\\Corvalis");
        t.KnownPackages.Add("C:\\Corvalis\\CorvalisDsgn.bpl", "Corvalis Component");
        t.SavePaths();
        t.SavePackageLists();
        EXPECT_THAT(
            testing::Differences(before,
                                 testing::SnapshotKey(machine.registry, RootKey::CurrentUser, fixture.UserKey())),
            UnorderedElementsAre("KNOWN PACKAGES\\C:\\CORVALIS\\CORVALISDSGN.BPL: (none) -> s:Corvalis Component",
                                 ::testing::StartsWith("LIBRARY\\SEARCH PATH: ")));
    }
}

TEST_F(DelphiDataStoreTest, SavePathsCreatesNoKeysButTheEnvironmentVariables)
{
    const IdeFixture fixture(Ide::Delphi7);
    TCompileTarget& t = Load(fixture);
    machine.registry.DeleteKey(RootKey::CurrentUser, fixture.UserKey() + "\\Library");
    machine.registry.DeleteKey(RootKey::CurrentUser, fixture.UserKey() + "\\Debugging");
    machine.registry.DeleteKey(RootKey::CurrentUser, fixture.UserKey() + "\\Environment Variables");
    t.EnvVars.push_back("CORVALIS=C:\\Corvalis");
    t.SavePaths();
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::CurrentUser, fixture.UserKey() + "\\Library"));
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::CurrentUser, fixture.UserKey() + "\\Debugging"));
    EXPECT_EQ(UserKey(fixture, "\\Environment Variables")->ReadString("CORVALIS"), "C:\\Corvalis");
}

TEST_F(DelphiDataStoreTest, EnvironmentVariablesAreWrittenOnlyWhereTheyChanged)
{
    const IdeFixture fixture =
        IdeFixture(Ide::Rad2010).WithEnvironmentVariable("Keep", "same").WithEnvironmentVariable("Gone", "x");
    TCompileTarget& t = Load(fixture);
    t.EnvVars = {"Keep=same", "New=value"};
    t.SavePaths();
    auto variables = UserKey(fixture, "\\Environment Variables");
    EXPECT_THAT(variables->ValueNames(), ElementsAre("Keep", "New"));
    EXPECT_EQ(variables->ReadString("New"), "value");
}

TEST_F(DelphiDataStoreTest, CppListsGoOnlyToTheKeyTheyWereLoadedFrom)
{
    const IdeFixture fixture(Ide::Rad2009);
    TCompileTarget& t = Load(fixture);
    EXPECT_THAT(t.CppLibraryPaths, ElementsAre("$(BDS)\\lib", "$(BDS)\\lib\\obj", "$(BDS)\\lib\\psdk"));
    t.CppSearchPaths.push_back("C:\\Corvalis\\Delphi2009");
    t.SavePaths();
    auto cpp = UserKey(fixture, "\\C++\\Paths");
    EXPECT_EQ(cpp->ReadString("IncludePath"), "$(BDS)\\include;$(BDS)\\include\\vcl");
    EXPECT_EQ(cpp->ReadString("SearchPath"), "$(BDS)\\lib;$(BDS)\\lib\\obj;C:\\Corvalis\\Delphi2009");
    EXPECT_EQ(cpp->ReadString("LibraryPath"), "$(BDS)\\lib;$(BDS)\\lib\\obj;$(BDS)\\lib\\psdk");
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::CurrentUser, fixture.UserKey() + "\\CppPaths"));
}

TEST_F(DelphiDataStoreTest, TheFileIsWrittenBeforeTheRegistryAndAMissingFileStopsTheSave)
{
    const IdeFixture fixture(Ide::Rad2009);
    TCompileTarget& t = Load(fixture);
    t.SearchPaths.push_back("C:\\Corvalis\\Delphi2009");
    machine.files.DeleteFile(fixture.EnvOptionsFile(machine.platform));
    EXPECT_THAT([&] { t.SavePaths(); },
                ::testing::ThrowsMessage<Exception>(HasSubstr(fixture.EnvOptionsFile(machine.platform))));
    EXPECT_THAT(UserKey(fixture, "\\Library")->ReadString("Search Path"), ::testing::Not(HasSubstr("Corvalis")));
}

TEST_F(DelphiDataStoreTest, ABrokenFileIsSkippedOnLoadingAndReportedOnSaving)
{
    const IdeFixture fixture = IdeFixture(Ide::Rad2010).WithLibraryValue("Search Path", "$(BDS)\\registry");
    testing::MemoryFixtureFiles files(machine);
    fixture.Install(machine.platform, files);
    machine.files.WriteFile(fixture.EnvOptionsFile(machine.platform), "<Project><PropertyGroup>");
    TCompileTarget t(machine.platform, "BDS", "7.0", "BDS");
    EXPECT_THAT(t.SearchPaths, ElementsAre("$(BDS)\\registry"));
    EXPECT_THAT([&] { t.SavePaths(); }, ::testing::ThrowsMessage<Exception>(HasSubstr("not a valid XML document")));
    EXPECT_EQ(machine.files.ReadFile(fixture.EnvOptionsFile(machine.platform)), "<Project><PropertyGroup>");
}

TEST_F(DelphiDataStoreTest, SavePackageListsDeletesTheRemovedAndAddsTheNewKeepingOldDescriptions)
{
    const IdeFixture fixture = IdeFixture(Ide::Delphi7).WithDisabledPackage("$(DELPHI)\\Bin\\dclact70.bpl", "x");
    TCompileTarget& t = Load(fixture);
    t.KnownPackages.Delete(t.KnownPackages.IndexOf("$(DELPHI)\\Bin\\dclbde70.bpl"));
    t.KnownPackages[0].Description = "changed";
    t.KnownPackages.Add("C:\\Corvalis\\Delphi7\\CorvalisDsgnD7.bpl", "Corvalis Component");
    t.DisabledPackages.Clear();
    t.KnownIdePackages.Clear();
    t.SavePackageLists();

    auto known = UserKey(fixture, "\\Known Packages");
    EXPECT_FALSE(known->ValueExists("$(DELPHI)\\Bin\\dclbde70.bpl"));
    EXPECT_EQ(known->ReadString("$(DELPHI)\\Bin\\dclado70.bpl"), "Borland ADO DB Components");
    EXPECT_EQ(known->ReadString("C:\\Corvalis\\Delphi7\\CorvalisDsgnD7.bpl"), "Corvalis Component");
    EXPECT_THAT(UserKey(fixture, "\\Disabled Packages")->ValueNames(), IsEmpty());
    EXPECT_EQ(UserKey(fixture, "\\Known IDE Packages")->ValueNames().size(), 2u);
}

TEST_F(DelphiDataStoreTest, PackagesAreFoundByFileNameInIdePackagesFirst)
{
    TCompileTarget& t = Load(IdeFixture(Ide::Delphi7).WithKnownIdePackage("C:\\Other\\DCLADO70.BPL", "ide"));
    ASSERT_NE(t.FindPackage("dclado70.bpl"), nullptr);
    EXPECT_EQ(t.FindPackage("dclado70.bpl")->Description, "ide");
    EXPECT_EQ(t.FindPackage("dclado"), nullptr);
    ASSERT_NE(t.FindPackageByPrefix("dcldb"), nullptr);
    EXPECT_EQ(t.FindPackageByPrefix("dcldb")->Name(), "dcldb70.bpl");
    EXPECT_EQ(t.FindPackageByPrefix("dclfoo"), nullptr);
}

struct TemplateCase {
    Ide ide;
    std::string packageTemplate;
    std::string expanded;
};

TEST_F(DelphiDataStoreTest, PackageTemplatesExpandPerIde)
{
    const TemplateCase cases[] = {
        {Ide::Delphi2007, "edb109%e%Vdesign", "edb109D2007design"},
        {Ide::Delphi7, "VistaDB_%e%Vd", "VistaDB_D7d"},
        {Ide::CBuilder6, "x%e%E%v", "xCC6"},
        {Ide::Rad2010, "%E%e%v%V", "BD142010"},
        {Ide::Delphi7, "ab%xc", "abxc"},
        {Ide::Delphi7, "100%", "100"},
        {Ide::Delphi7, "%%e", "D"},
    };
    for (const TemplateCase& c : cases)
        EXPECT_EQ(ExpandPackageTemplate(Load(IdeFixture(c.ide)), c.packageTemplate), c.expanded) << c.packageTemplate;
}

TEST_F(DelphiDataStoreTest, APackageIsInstalledWhenItsTemplateBeginsAPackageName)
{
    TCompileTarget& t = Load(IdeFixture(Ide::Delphi2007).WithKnownPackage("$(BDS)\\bin\\edb109D2007design.bpl"));
    EXPECT_TRUE(IsPackageInstalled(t, "dclado"));
    EXPECT_TRUE(IsPackageInstalled(t, "edb109%e%Vdesign"));
    EXPECT_TRUE(IsPackageInstalled(t, "DCLDB100.bpl"));
    EXPECT_FALSE(IsPackageInstalled(t, "zcomponent"));
    EXPECT_FALSE(IsPackageInstalled(t, "edb202%e%Vdesign"));
}

} // namespace
} // namespace corvalis
