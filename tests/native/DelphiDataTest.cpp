#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fixtures/MemoryFixture.h"
#include "fixtures/RegistrySnapshot.h"
#include "ide/CmdLineUtils.h"
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
using ::testing::ThrowsMessage;

TEST(PathList, StoredListsLoadTrimmedUnquotedAndWithoutTrailingDelimiters)
{
    EXPECT_THAT(PathListFromString(" C:\\A\\ ; \"C:\\B\\\";;C:\\C;"), ElementsAre("C:\\A", "C:\\B", "", "C:\\C"));
    // Trimmed before the delimiter goes: a blank before it stays.
    EXPECT_THAT(PathListFromString("\" quoted \\\"; \"\" ;\t$(BDS)\\lib\t"), ElementsAre("quoted ", "", "$(BDS)\\lib"));
    EXPECT_THAT(PathListFromString("\""), ElementsAre("\""));
    EXPECT_THAT(PathListFromString(""), IsEmpty());
    EXPECT_EQ(PathListToString({}) + "|" + PathListToString({"", "a b", "C:\\C"}), "|;a b;C:\\C");
}

TEST(PathList, AMergedListKeepsTheStoredTextOfEveryEntryItKeeps)
{
    const std::tuple<std::string, TStringList, std::string> cases[] = {
        // stored, the list, stored afterwards
        {" C:\\A\\ ;\"C:\\B\";", {"C:\\A", "C:\\B"}, " C:\\A\\ ;\"C:\\B\";"},
        {"C:\\A;C:\\B;", {"C:\\A", "C:\\B", "D:\\New"}, "C:\\A;C:\\B;D:\\New;"},
        {"C:\\A;;D:\\Old\\", {"C:\\A", "", "D:\\New"}, "C:\\A;;D:\\New"},
        {"D:\\New;", {}, ""},
    };
    for (const auto& [stored, list, merged] : cases)
        EXPECT_EQ(MergedPathList(stored, list), merged) << stored;
}

class DelphiDataTest : public ::testing::Test {
protected:
    DelphiDataTest() { testing::AddCommandInterpreter(machine); }

    void Install(const IdeFixture& fixture)
    {
        testing::MemoryFixtureFiles files(machine);
        fixture.Install(machine.platform, files);
    }
    std::vector<std::string> Names(const std::vector<std::string>& arguments)
    {
        options = std::make_unique<TCmdOptions>(arguments, machine.files, machine.console);
        targets = std::make_unique<TCompileTargetList>(machine.platform, *options);
        std::vector<std::string> names;
        for (int i = 0; i < targets->Count(); ++i)
            names.push_back((*targets)[i].DisplayName());
        return names;
    }
    // The target of the IDE, the IDEs installed before forgotten; its EnvOptions.proj replaced by a text given.
    TCompileTarget& Only(const IdeFixture& fixture, const std::optional<std::string>& envOptions = {})
    {
        for (RootKey root : {RootKey::LocalMachine, RootKey::CurrentUser})
            for (const char* vendor : {"SOFTWARE\\Borland", "SOFTWARE\\CodeGear"})
                machine.registry.DeleteKey(root, vendor);
        Install(fixture);
        if (envOptions)
            machine.files.WriteFile(fixture.EnvOptionsFile(machine.platform), *envOptions);
        target = std::make_unique<TCompileTarget>(machine.platform, fixture.Family(), fixture.KeyVersionText(),
                                                  fixture.Family());
        return *target;
    }
    std::unique_ptr<IRegistryKey> UserKey(const IdeFixture& fixture, const std::string& subkey)
    {
        return machine.registry.OpenKey(RootKey::CurrentUser, fixture.UserKey() + subkey, KeyAccess::Read);
    }
    testing::RegistrySnapshot Snapshot(const IdeFixture& fixture)
    {
        return testing::SnapshotKey(machine.registry, RootKey::CurrentUser, fixture.UserKey());
    }

    MemoryPlatform machine;
    const std::string documents = *machine.shell.FolderPath(SpecialFolder::Personal);
    std::unique_ptr<TCmdOptions> options;
    std::unique_ptr<TCompileTargetList> targets;
    std::unique_ptr<TCompileTarget> target;
};

TEST_F(DelphiDataTest, EveryGenerationIsFoundInDiscoveryOrder)
{
    for (const IdeFixture& fixture : testing::FullFixtureSet())
        Install(fixture);
    EXPECT_THAT(Names({}),
                ElementsAre("Delphi 5.0 (Enterprise)", "Delphi 6.0 (Enterprise)", "Delphi 7.0 (Enterprise)",
                            "C++Builder 5.0 (Enterprise)", "C++Builder 6.0 (Enterprise)", "Delphi 2005 (Architect)",
                            "Borland Developer Studio 2006 (Professional)", "CodeGear RAD Studio 2007 ()",
                            "CodeGear RAD Studio 2009 (Enterprise)", "Embarcadero RAD Studio 2010 (Architect)"));
    std::string versions;
    for (int i = 0; i < targets->Count(); ++i)
        versions += std::to_string((*targets)[i].KeyVersion) + "/" + std::to_string((*targets)[i].VersionNumber) + " ";
    EXPECT_EQ(versions, "5/5 6/6 7/7 5/5 6/6 3/9 4/10 5/11 6/12 7/14 ");
}

TEST_F(DelphiDataTest, TargetsNeedAUserKeyAndAnExecutableAndFollowTheIgnoreAndKeyOptions)
{
    for (const IdeFixture& fixture : {IdeFixture(Ide::Delphi7), IdeFixture(Ide::Delphi6).WithoutUserKey(),
                                      IdeFixture(Ide::Delphi5).WithoutExecutable(), IdeFixture(Ide::CBuilder6),
                                      IdeFixture(Ide::Rad2007).WithUserKeyName("Win32Only")})
        Install(fixture);
    for (const char* key : {"Delphi\\Help", "BDS\\1.0", "BDS\\2.0", "BDS\\8.0", "BDS\\9.0"}) {
        const std::string path = std::string("SOFTWARE\\Borland\\") + key;
        machine.registry.OpenKey(RootKey::LocalMachine, path, KeyAccess::WriteCreate)->WriteString("RootDir", "C:\\X");
        machine.registry.OpenKey(RootKey::CurrentUser, path, KeyAccess::WriteCreate);
    }
    const std::string d7 = "Delphi 7.0 (Enterprise)", cb6 = "C++Builder 6.0 (Enterprise)";
    EXPECT_THAT(Names({}), ElementsAre(d7, cb6));
    EXPECT_THAT(Names({"--ignore-bcb", "-rBDS=Win32Only", "-rDelphi="}),
                ElementsAre(d7, "CodeGear RAD Studio 2007 ()"));
    EXPECT_EQ((*targets)[1].UserKey + " " + (*targets)[1].MachineKey,
              "\\SOFTWARE\\Borland\\Win32Only\\5.0 \\SOFTWARE\\Borland\\BDS\\5.0");
    EXPECT_THAT(Names({"--ignore-delphi", "-rBDS=Win32Only"}), ElementsAre(cb6)) << "BDS goes with Delphi";
}

TEST_F(DelphiDataTest, MacrosExpandToFoldersAndVariablesOnceAndAreInsertedBelowKnownFolders)
{
    machine.processes.SetEnv("WINDIR", "C:\\\\windows");
    machine.processes.SetEnv("SHARE", "\\\\\\server\\\\share\\\\\\\\x");
    TCompileTarget& t = Only(IdeFixture(Ide::Rad2009, "C:").WithEnvironmentVariable("Boost", "$(BDS)\\boost"));
    t.RootDir = "C:\\RAD";
    const std::string projects = documents + "\\RAD Studio\\Projects",
                      bpl = *machine.shell.FolderPath(SpecialFolder::CommonDocuments) + "\\RAD Studio\\6.0\\Bpl";
    const std::pair<std::string, std::string> expansions[] = {{"$(BDS)\\lib;$(Foo)", "C:\\RAD\\lib;"},
                                                              {"$(BDS", "C:\\RAD"},
                                                              {"$(bds)\\x$(DELPHI)$(BCB)", "C:\\RAD\\xC:\\RADC:\\RAD"},
                                                              {"$(BDSPROJECTSDIR)\\Bpl", projects + "\\Bpl"},
                                                              {"$(BDSCOMMONDIR)\\Bpl", bpl},
                                                              {"$(BOOST)\\lib", "$(BDS)\\boost\\lib"},
                                                              {"$(WinDir)\\x", "C:\\windows\\x"},
                                                              {"$(Share)", "\\\\server\\share\\x"},
                                                              {"$()", "$()"},
                                                              {"$ ( x", "$ ( x"},
                                                              {"", ""}};
    for (const auto& [path, expanded] : expansions)
        EXPECT_EQ(t.ExpandDirMacros(path), expanded) << path;
    const std::pair<std::string, std::string> insertions[] = {
        {"c:\\rad\\lib", "$(BDS)\\lib"},  {"C:\\RAD", "C:\\RAD"},
        {"C:\\RADIO\\x", "C:\\RADIO\\x"}, {projects + "\\Corvalis", "$(BDSPROJECTSDIR)\\Corvalis"},
        {bpl, "$(BDSCOMMONDIR)\\Bpl"},    {"D:\\Corvalis", "D:\\Corvalis"}};
    for (const auto& [path, inserted] : insertions)
        EXPECT_EQ(t.InsertDirMacros(path), inserted) << path;
    EXPECT_EQ(Only(IdeFixture(Ide::Delphi7)).InsertDirMacros("C:\\Program Files\\Borland\\Delphi7\\X"), "$(DELPHI)\\X");
    EXPECT_EQ(Only(IdeFixture(Ide::CBuilder6)).InsertDirMacros("C:\\Program Files\\Borland\\CBuilder6\\X"),
              "$(BCB)\\X");
    EXPECT_EQ(Only(IdeFixture(Ide::Bds2006)).CommonDir(), documents + "\\Borland Studio Projects");
}

TEST_F(DelphiDataTest, AFolderVariableDefinedThroughItselfIsLeftAsWritten)
{
    const TCompileTarget& own = Only(IdeFixture(Ide::Rad2010)
                                         .WithEnvironmentVariable("BDSPROJECTSDIR", "$(BDSPROJECTSDIR)\\Mine")
                                         .WithEnvironmentVariable("BDSCOMMONDIR", "$(BDSPROJECTSDIR)\\Common"));
    EXPECT_EQ(own.ProjectsDir(), "$(BDSPROJECTSDIR)\\Mine");
    EXPECT_EQ(own.ExpandDirMacros("$(BDSCOMMONDIR)\\Bpl"), "$(BDSPROJECTSDIR)\\Mine\\Common\\Bpl");
    const TCompileTarget& crossed = Only(IdeFixture(Ide::Rad2010)
                                             .WithEnvironmentVariable("BDSPROJECTSDIR", "$(BDSCOMMONDIR)\\P")
                                             .WithEnvironmentVariable("BDSCOMMONDIR", "$(BDSPROJECTSDIR)\\C"));
    EXPECT_EQ(crossed.ProjectsDir() + "|" + crossed.CommonDir(), "$(BDSPROJECTSDIR)\\C\\P|$(BDSCOMMONDIR)\\P\\C");
}

TEST_F(DelphiDataTest, ADelphiTargetLoadsItsListsFromTheRegistry)
{
    TCompileTarget& t = Only(IdeFixture(Ide::Delphi7)
                                 .WithLibraryValue("Debug DCU Path", "$(DELPHI)\\Lib\\Debug\\")
                                 .WithEnvironmentVariable("TOOLS", "C:\\tools")
                                 .WithDisabledPackage("$(DELPHI)\\Bin\\dclact70.bpl", "Borland ActionBar Components"));
    EXPECT_THAT(t.SearchPaths,
                ElementsAre("$(DELPHI)\\Lib", "$(DELPHI)\\Bin", "$(DELPHI)\\Imports", "$(DELPHI)\\Projects\\Bpl"));
    EXPECT_THAT(t.BrowsingPaths, ElementsAre("$(DELPHI)\\Source\\Vcl", "$(DELPHI)\\Source\\Rtl\\Common"));
    EXPECT_THAT(t.DebugDcuPaths, ElementsAre("$(DELPHI)\\Lib\\Debug"));
    EXPECT_EQ(t.BplDir(), "C:\\Program Files\\Borland\\Delphi7\\Projects\\Bpl");
    EXPECT_THAT(t.EnvVars, ElementsAre("TOOLS=C:\\tools"));
    EXPECT_EQ(std::to_string(t.KnownPackages.Count()) + std::to_string(t.KnownIdePackages.Count()) +
                  (t.DisabledPackages.Count() == 1 ? t.DisabledPackages[0].Description : "?"),
              "62Borland ActionBar Components");
    // Without a library value the debugging key serves; without output folders only Delphi has defaults.
    EXPECT_THAT(Only(IdeFixture(Ide::Rad2007)).DebugDcuPaths, ElementsAre("$(BDS)\\lib\\debug"));
    for (Ide ide : {Ide::Delphi7, Ide::Bds2006}) {
        Only(IdeFixture(ide).WithLibraryValue("Package DPL Output", {}).WithLibraryValue("Package DCP Output", {}));
        const std::string bpl = ide == Ide::Delphi7 ? "C:\\Program Files\\Borland\\Delphi7\\Projects\\BPL" : "";
        EXPECT_EQ(target->BplOutputDir + "|" + target->DcpOutputDir, bpl + "|" + bpl);
    }
}

TEST_F(DelphiDataTest, ABds2007TargetTakesItsListsFromEnvOptionsFirstAndSavesToBoth)
{
    const IdeFixture fixture = IdeFixture(Ide::Rad2007)
                                   .WithLibraryValue("Search Path", "$(BDS)\\registry only")
                                   .WithEnvOptionsValue("CBuilderLibraryPath", "$(BDS)\\file only");
    TCompileTarget& t = Only(fixture);
    const std::string search = "$(BDS)\\lib;$(BDS)\\Imports;$(BDSCOMMONDIR)\\Dcp;$(BDS)\\include";
    EXPECT_EQ(PathListToString(t.SearchPaths), search);
    EXPECT_EQ(t.BplOutputDir, "$(BDSCOMMONDIR)\\Bpl");
    EXPECT_EQ(t.DcpDir(), *machine.shell.FolderPath(SpecialFolder::CommonDocuments) + "\\RAD Studio\\5.0\\Dcp");
    // The registry's C++ key replaces what the file gave.
    EXPECT_THAT(t.CppIncludePaths, ElementsAre("$(BDS)\\include", "$(BDS)\\include\\vcl"));
    EXPECT_THAT(t.CppLibraryPaths, ElementsAre("$(BDS)\\lib", "$(BDS)\\lib\\obj", "$(BDS)\\lib\\psdk"));
    t.SavePaths();
    EXPECT_EQ(UserKey(fixture, "\\Library")->ReadString("Search Path"), search);
    TEnvOptions saved(machine.platform, fixture.EnvOptionsFile(machine.platform));
    EXPECT_EQ(saved.Value("Win32LibraryPath"), search);
    EXPECT_EQ(saved.Value("CBuilderLibraryPath"), "$(BDS)\\lib;$(BDS)\\lib\\obj;$(BDS)\\lib\\psdk");
    const TCompileTarget& delphi = Only(IdeFixture(Ide::Delphi2007)
                                            .WithEnvOptionsValue("CBuilderBPLOutputPath", "C:\\CppBpl\\")
                                            .WithEnvOptionsValue("Win32DLLOutputPath", "C:\\DelphiBpl"));
    EXPECT_EQ(delphi.BplOutputDir, "C:\\CppBpl") << "the C++ output folder wins";
    EXPECT_THAT(delphi.PackageSearchPaths, ElementsAre("C:\\DelphiBpl"));
    EXPECT_THAT(delphi.CppIncludePaths, IsEmpty()) << "without the C++ personality the C++ lists are not read";
}

TEST_F(DelphiDataTest, WithoutAUsableFileTheRegistryServesAndSavingFailsBeforeTouchingIt)
{
    const IdeFixture fixture = IdeFixture(Ide::Rad2009).WithLibraryValue("Search Path", "$(BDS)\\registry");
    const std::string file = fixture.EnvOptionsFile(machine.platform), broken = "<Project><PropertyGroup>";
    for (const std::string& text :
         {std::string("<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\"/>"), broken}) {
        EXPECT_THAT(Only(fixture, text).SearchPaths, ElementsAre("$(BDS)\\registry")) << text;
        EXPECT_EQ(target->BplOutputDir, "$(BDSCOMMONDIR)\\Bpl");
    }
    target->SearchPaths.push_back("C:\\Corvalis");
    EXPECT_THAT([&] { target->SavePaths(); }, ThrowsMessage<Exception>(HasSubstr("not a valid XML document")));
    EXPECT_EQ(machine.files.ReadFile(file), broken);
    machine.files.DeleteFile(file);
    EXPECT_THAT([&] { target->SavePaths(); }, ThrowsMessage<Exception>(HasSubstr(file)));
    EXPECT_EQ(UserKey(fixture, "\\Library")->ReadString("Search Path"), "$(BDS)\\registry");
}

TEST_F(DelphiDataTest, SavePathsWritesTheListsBackOnlyWhereTheIdeKeepsThem)
{
    const IdeFixture fixture = IdeFixture(Ide::Delphi7).WithLibraryValue("Debug DCU Path", std::nullopt);
    TCompileTarget& t = Only(fixture);
    t.SearchPaths.push_back("C:\\Corvalis\\Delphi7");
    t.BrowsingPaths.insert(t.BrowsingPaths.begin(), "C:\\Corvalis\\Sources");
    t.DebugDcuPaths = {"C:\\Debug"};
    const auto before = Snapshot(fixture);
    t.SavePaths();
    EXPECT_THAT(
        testing::Differences(before, Snapshot(fixture)),
        ElementsAre("DEBUGGING\\DEBUG DCUS PATH: s:$(DELPHI)\\Lib\\Debug -> s:C:\\Debug",
                    "LIBRARY\\BROWSING PATH: s:$(DELPHI)\\Source\\Vcl;$(DELPHI)\\Source\\Rtl\\Common -> "
                    "s:C:\\Corvalis\\Sources;$(DELPHI)\\Source\\Vcl;$(DELPHI)\\Source\\Rtl\\Common",
                    "LIBRARY\\SEARCH PATH: s:$(DELPHI)\\Lib;$(DELPHI)\\Bin;$(DELPHI)\\Imports;$(DELPHI)\\Projects\\Bpl"
                    " -> s:$(DELPHI)\\Lib;$(DELPHI)\\Bin;$(DELPHI)\\Imports;$(DELPHI)\\Projects\\Bpl;"
                    "C:\\Corvalis\\Delphi7"));
    // Missing keys stay missing; only the variables' key is created, and only changes are written.
    for (const char* subkey : {"\\Library", "\\Debugging", "\\Environment Variables"})
        machine.registry.DeleteKey(RootKey::CurrentUser, fixture.UserKey() + subkey);
    t.EnvVars.push_back("CORVALIS=C:\\Corvalis");
    t.SavePaths();
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::CurrentUser, fixture.UserKey() + "\\Library") ||
                 machine.registry.KeyExists(RootKey::CurrentUser, fixture.UserKey() + "\\Debugging"));
    EXPECT_EQ(UserKey(fixture, "\\Environment Variables")->ReadString("CORVALIS"), "C:\\Corvalis");
}

TEST_F(DelphiDataTest, SavingAnUnchangedTargetWritesNothingAndAChangeOnlyItself)
{
    for (Ide ide : {Ide::Delphi5, Ide::CBuilder6, Ide::Bds2006, Ide::Rad2007, Ide::Rad2010}) {
        const IdeFixture fixture(ide);
        TCompileTarget& t = Only(fixture);
        SCOPED_TRACE(t.DisplayName());
        const auto before = Snapshot(fixture);
        t.SavePaths();
        t.SavePackageLists();
        EXPECT_THAT(testing::Differences(before, Snapshot(fixture)), IsEmpty());
        t.SearchPaths.push_back("C:\\Corvalis");
        t.KnownPackages.Add("C:\\Corvalis\\CorvalisDsgn.bpl", "Corvalis Component");
        t.SavePaths();
        t.SavePackageLists();
        EXPECT_THAT(testing::Differences(before, Snapshot(fixture)),
                    ::testing::UnorderedElementsAre(
                        "KNOWN PACKAGES\\C:\\CORVALIS\\CORVALISDSGN.BPL: (none) -> s:Corvalis Component",
                        ::testing::StartsWith("LIBRARY\\SEARCH PATH: ")));
    }
}

} // namespace
} // namespace corvalis
