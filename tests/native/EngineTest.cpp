#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/ShellIntegration.h"
#include "engine/Compile.h"
#include "engine/RegistryExport.h"
#include "fixtures/RegistrySnapshot.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "native/InstallerMachine.h"
#include "platform/Exceptions.h"
#include "product/ProductTree.h"

namespace corvalis {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using testing::Ide;
using testing::IdeFixture;
using ::testing::ThrowsMessage;

// IDEs on a machine with the installer started from its package; Build extracts the product's
// files, ready to build into.
class EngineTest : public ::testing::Test {
protected:
    void Prepare(const std::vector<IdeFixture>& fixtures = {}, const std::vector<std::string>& arguments = {})
    {
        for (const IdeFixture& fixture : fixtures)
            installer.Install(fixture);
        data = &installer.Start(arguments);
        compiler = std::make_unique<TCompiler>(installer.machine.platform, *data);
        shell = std::make_unique<TShellIntegration>(installer.machine.platform, *data);
        compiler->Log().OnLog = [this](TLogBase&, TLogLevel level, const std::u16string& text, DateTime) {
            lines.emplace_back(level, Utf16ToUtf8(text));
        };
    }
    void Build(const std::vector<IdeFixture>& fixtures, const std::vector<std::string>& arguments = {})
    {
        Prepare(fixtures, arguments);
        compiler->InstallFiles();
        lines.clear();
    }
    TTargetOptions& Options(int index) { return (*data->TargetOptions)[index]; }
    void InstallAll()
    {
        for (int i = 0; i < data->TargetOptions->Count(); ++i)
            Options(i).Action = taInstall;
        compiler->InstallIntoIdes();
    }
    std::vector<std::string> At(TLogLevel level) const
    {
        std::vector<std::string> texts;
        for (const auto& [l, text] : lines)
            if (l == level)
                texts.push_back(text);
        return texts;
    }
    // What follows the prefix in each line of the level that starts with it.
    std::vector<std::string> After(TLogLevel level, const std::string& prefix) const
    {
        std::vector<std::string> rests;
        for (const std::string& line : At(level))
            if (line.starts_with(prefix))
                rests.push_back(line.substr(prefix.size()));
        return rests;
    }
    bool Exists(const std::string& path) const { return files.FileExists(path); }
    std::string System(const std::string& file) const { return files.SystemDirectory() + "\\" + file; }
    std::string Uninstall(const std::string& file) const { return data->InstallDir + "\\Uninstall\\" + file; }
    // An installation made by this package, its installer running from the Uninstall folder.
    void InstallProduct()
    {
        data->InstallDir = "C:\\Program Files\\Halvorn\\Corvalis";
        product::WriteProductTree(installer.machine.files, data->InstallDir, {});
        files.AddFile(data->InstallDir + "\\setup.log", "[log]");
        shell->CreateShortcuts();
        shell->WriteUninstallEntry();
        shell->CopyUninstallFiles();
        data->ProductInstalled = true;
        data->SaveToRegistry();
    }

    testing::InstallerMachine installer;
    TInstallData* data = nullptr;
    MemoryFiles& files = installer.machine.files;
    std::unique_ptr<TCompiler> compiler;
    std::unique_ptr<TShellIntegration> shell;
    std::vector<std::pair<TLogLevel, std::string>> lines;
};

// Only the runtime package goes to the system folder; the connectivity packages whose
// libraries the IDE has are built too, and one that fails is taken out while the others stay.
TEST_F(EngineTest, AnInstallBuildsTheConnectivityPackagesFromTheFirstAndTakesOutOneThatFails)
{
    Build({IdeFixture(Ide::Delphi7).WithKnownPackage("C:\\Zeos\\zcomponentdesign70.bpl", "Zeos")});
    installer.machine.processes.SetEnv("CORVALIS_DCC32_FAIL", "CorvalisZeosD7.dpk");
    InstallAll();
    TTargetOptions& delphi7 = Options(0);
    EXPECT_THAT(At(llError), ElementsAre("Error compiling package: CorvalisZeosD7.dpk"));
    EXPECT_TRUE(delphi7.Installed);
    const auto stored = testing::SnapshotKey(installer.machine.registry, RootKey::LocalMachine, delphi7.TargetKey());
    EXPECT_EQ(stored.at("INSTALLED"), "i:1");
    EXPECT_EQ(stored.at("ZEOS CONNECTIVITY"), "i:0");
    EXPECT_FALSE(Exists(System("CorvalisDsgnD7.bpl")));
    EXPECT_EQ(delphi7.Target.BrowsingPaths.back(), data->InstallDir + "\\Sources");
    EXPECT_NE(delphi7.Target.FindPackage("CorvalisDsgnDbExD7.bpl"), nullptr);
    EXPECT_EQ(delphi7.Target.FindPackage("CorvalisDsgnZeosD7.bpl"), nullptr);
    EXPECT_THAT(After(llInfo, "Compiling/Installing Corvalis Component "),
                ElementsAre("ADO Connectivity", "BDE Connectivity", "IBExpress Connectivity", "dbExpress Connectivity",
                            "ZEOS Connectivity"));
    const std::vector<std::string> removed = After(llDebug, "Uninstalling Corvalis Component ");
    ASSERT_FALSE(removed.empty());
    EXPECT_EQ(std::make_pair(removed.front(), removed.back()),
              std::make_pair(std::string("ODBCExpress Connectivity"), std::string("ADO Connectivity")));
}

// IDEs go from the last; one that cannot have its packages stops alone.
TEST_F(EngineTest, WithoutACompilerPrebuiltPackagesAreRegisteredAndAMissingOrLockedOneStopsOnlyItsIde)
{
    Build({IdeFixture(Ide::Delphi6).WithoutCompiler(), IdeFixture(Ide::Delphi7),
           IdeFixture(Ide::Rad2010).WithoutCompiler()});
    for (const char* package : {"CorvalisD14.bpl", "CorvalisDsgnD14.bpl"})
        files.AddFile(data->InstallDir + "\\Delphi2010\\" + package, "prebuilt");
    files.AddFile(System("CorvalisD7.bpl"), "old");
    files.SetInUse(System("CorvalisD7.bpl"), true);
    InstallAll();
    EXPECT_THAT(
        After(llInfo, "Compiling for:"),
        ElementsAre(Options(2).Target.DisplayName(), Options(1).Target.DisplayName(), Options(0).Target.DisplayName()));
    // A connectivity package without its prebuilt file is taken out; the IDE stays installed.
    std::vector<std::string> errors;
    for (const char* provider : {"ADO", "BDE", "IBEx", "DbEx"})
        errors.push_back("File not exists: " + data->InstallDir + "\\Delphi2010\\Corvalis" + provider + "D14.bpl");
    errors.insert(errors.end(), {"  ERROR: cannot delete file: " + System("CorvalisD7.bpl"),
                                 "System Error.  Code: 5.\r\nAccess is denied",
                                 "File not exists: " + data->InstallDir + "\\Delphi6\\CorvalisD6.bpl"});
    EXPECT_EQ(At(llError), errors);
    EXPECT_EQ(std::make_tuple(Options(0).Installed, Options(1).Installed, Options(2).Installed),
              std::make_tuple(false, false, true));
    EXPECT_NE(Options(2).Target.FindPackage("CorvalisDsgnD14.bpl"), nullptr);
}

// A rebuild from sources clears stale units first, and a provider no longer chosen goes.
TEST_F(EngineTest, ARebuildUnregistersAProviderNoLongerChosenAndOnlyFromSourcesClearsStaleUnits)
{
    Build({IdeFixture(Ide::Delphi7).WithKnownPackage("C:\\Zeos\\zcomponentdesign70.bpl", "Zeos")});
    TTargetOptions& delphi7 = Options(0);
    InstallAll();
    ASSERT_NE(delphi7.Target.FindPackage("CorvalisDsgnZeosD7.bpl"), nullptr);
    const std::string stale = data->InstallDir + "\\Delphi7\\Old\\Stale.dcu";
    files.AddFile(stale);
    delphi7.CompilePackages = false;
    compiler->InstallIntoIdes();
    EXPECT_TRUE(Exists(stale));
    for (const auto& provider : *data->Providers)
        if (provider->Name == "Zeos")
            delphi7.RemoveSelectedProvider(*provider);
    delphi7.CompilePackages = true;
    compiler->InstallIntoIdes();
    EXPECT_FALSE(Exists(stale));
    EXPECT_EQ(delphi7.Target.FindPackage("CorvalisDsgnZeosD7.bpl"), nullptr);
    EXPECT_EQ(testing::SnapshotKey(installer.machine.registry, RootKey::LocalMachine, delphi7.TargetKey())
                  .at("ZEOS CONNECTIVITY"),
              "i:0");
}

// Taking a connectivity package out of an IDE records at once that it is no longer installed;
// one that never was leaves the IDE's record as it was.
TEST_F(EngineTest, AProvidersRemovalSavesTheIdesRecordOnlyWhereItWasInstalled)
{
    Prepare({IdeFixture(Ide::Delphi7)});
    TTargetOptions& delphi7 = Options(0);
    delphi7.Installed = true;
    const auto zeos = std::ranges::find(*data->Providers, "Zeos", [](const auto& provider) { return provider->Name; });
    ASSERT_NE(zeos, data->Providers->end());
    for (const bool installed : {false, true}) {
        SCOPED_TRACE(installed ? "installed" : "never installed");
        installer.machine.registry.DeleteKey(RootKey::LocalMachine, delphi7.TargetKey());
        if (installed) {
            delphi7.AddInstalledProvider(**zeos);
            delphi7.Save();
        }
        (*zeos)->UninstallFrom(*compiler, delphi7);
        const auto stored =
            testing::SnapshotKey(installer.machine.registry, RootKey::LocalMachine, delphi7.TargetKey());
        EXPECT_EQ(stored.contains("ZEOS CONNECTIVITY") ? stored.at("ZEOS CONNECTIVITY") : "no record",
                  installed ? "i:0" : "no record");
    }
}

// The IDE's output folders lose the package's build products outright: only what PATH and the
// package search path name goes to the recycle bin.
TEST_F(EngineTest, TheIdesOutputFoldersLoseThePackagesBuildProducts)
{
    Build({IdeFixture(Ide::Delphi7)});
    const std::string bpl = Options(0).Target.BplDir() + "\\CorvalisD7.";
    const std::vector<std::string> products = {bpl + "bpl", bpl + "dcp", bpl + "bpi", bpl + "lib",
                                               data->PackagesDir() + "\\CorvalisD7.mak"};
    for (const std::string& file : products)
        files.AddFile(file);
    compiler->UninstallPackage(Options(0), "Corvalis");
    for (const std::string& file : products)
        EXPECT_FALSE(Exists(file)) << file;
    EXPECT_THAT(files.Recycled(), ::testing::IsEmpty());
}

TEST_F(EngineTest, TheConfigurationFileHoldsTheTwentyFiveLinesForADelphiTarget)
{
    Build({IdeFixture(Ide::Delphi7)});
    Options(0).Target.SearchPaths.clear();
    compiler->WriteCompilerConfig("C:\\dcc32.cfg", Options(0));
    const std::string out = data->InstallDir + "\\Delphi7";
    const std::string bpl = "C:\\Program Files\\Borland\\Delphi7\\Projects\\Bpl";
    std::string expected = "-Q -B -H+ -W+\r\n";
    for (const std::string& folders :
         {out + ";" + out, std::string(), bpl + ";" + bpl, std::string("$(DELPHI)\\Projects\\Bpl")})
        for (const char* option : {"-U", "-I", "-R", "-O"})
            expected += std::string(option) + "\"" + folders + "\"\r\n";
    for (const char* option : {"-LE", "-LN", "-N0", "-N1", "-NH", "-N2", "-NO", "-NB"})
        expected += std::string(option) + "\"" + out + "\"\r\n";
    EXPECT_EQ(files.ReadFile("C:\\dcc32.cfg"), expected);
}

TEST_F(EngineTest, BdsTargetsWithTheCppPersonalityAlsoAskForCppFilesAndMacrosAreExpanded)
{
    Build({IdeFixture(Ide::Rad2007)});
    TTargetOptions& rad = Options(0);
    rad.Target.SearchPaths = {"$(BDS)\\lib", "$(Nowhere)", "$(BDS)\\Imports"};
    compiler->WriteCompilerConfig("C:\\both.cfg", rad);
    const std::vector<std::string> both = TextLines(*files.ReadFile("C:\\both.cfg"));
    ASSERT_EQ(both.size(), 25u);
    EXPECT_EQ(both[0], "-Q -B -H+ -W+ -JL");
    EXPECT_EQ(both[5], "-U\"" + rad.Target.RootDir + "\\lib;;" + rad.Target.RootDir + "\\Imports\"");
    EXPECT_EQ(both[13], "-U\"$(BDSCOMMONDIR)\\Bpl\"");
    rad.Target.Personalities = {"Delphi.Win32"};
    compiler->WriteCompilerConfig("C:\\delphi.cfg", rad);
    EXPECT_EQ(TextLines(*files.ReadFile("C:\\delphi.cfg"))[0], "-Q -B -H+ -W+");
}

struct BuildCase {
    const char* name;
    Ide ide;
    std::vector<std::string> arguments;
    const char* failing; // the stand-in told to fail at the core package it builds last
    std::vector<const char*> kept, gone;
};

class EngineBuildFiles : public EngineTest, public ::testing::WithParamInterface<BuildCase> {};

// The tools' command lines in the package folder, and which of their files stay.
TEST_P(EngineBuildFiles, TheToolsRunInThePackageFolderAndTheirFilesGoUnlessKept)
{
    const BuildCase& c = GetParam();
    const bool delphi = c.ide == Ide::Delphi7;
    Build({IdeFixture(c.ide)}, c.arguments);
    if (c.failing)
        installer.machine.processes.SetEnv(c.failing, delphi ? "CorvalisDsgnD7.dpk" : "CorvalisC6.mak");
    const size_t before = installer.machine.processes.StartedProcesses().size();
    InstallAll();
    const TTargetOptions& options = Options(0);
    const std::string folder = data->InstallDir + "\\Packages\\" + (delphi ? "Delphi7" : "CBuilder6");
    for (const char* file : c.kept)
        EXPECT_TRUE(Exists(folder + "\\" + file)) << file;
    for (const char* file : c.gone)
        EXPECT_FALSE(Exists(folder + "\\" + file)) << file;
    EXPECT_EQ(At(llError).empty(), !c.failing);
    const auto& started = installer.machine.processes.StartedProcesses();
    ASSERT_GE(started.size(), before + 2);
    EXPECT_EQ(started[before].workingFolder, folder);
    EXPECT_EQ(started[before + 1].workingFolder, folder);
    if (delphi)
        EXPECT_EQ(started[before].commandLine, "\"" + options.Target.Dcc32File() + "\" \"CorvalisD7.dpk\"");
    else
        EXPECT_EQ(std::make_pair(started[before].commandLine, started[before + 1].commandLine),
                  std::make_pair("\"" + options.Bpr2MakFile() + "\" \"" + folder + "\\CorvalisC6.bpk\"",
                                 "\"" + options.Target.MakeFile() + "\" -f\"" + folder + "\\CorvalisC6.mak\" "));
}

const BuildCase kBuilds[] = {
    {"Delphi", Ide::Delphi7, {}, nullptr, {}, {"dcc32.cfg"}},
    {"DelphiFailing", Ide::Delphi7, {}, "CORVALIS_DCC32_FAIL", {}, {"dcc32.cfg"}},
    {"DelphiKeepingFiles", Ide::Delphi7, {"--keep-files"}, nullptr, {"dcc32.cfg"}, {}},
    {"CppBuilder", Ide::CBuilder6, {}, nullptr, {}, {"CorvalisC6.mak", "CorvalisC6.obj", "CorvalisC6.tds"}},
    {"CppBuilderFailing", Ide::CBuilder6, {}, "CORVALIS_MAKE_FAIL", {"CorvalisC6.mak"}, {}},
    {"CppBuilderKeepingFiles", Ide::CBuilder6, {"--keep-files"}, nullptr, {"CorvalisC6.mak", "CorvalisC6.obj"}, {}}};
INSTANTIATE_TEST_SUITE_P(Builds, EngineBuildFiles, ::testing::ValuesIn(kBuilds),
                         [](const auto& info) { return std::string(info.param.name); });

struct CodePageCase {
    const char* name;
    std::string folder;
    bool builds;
};

class EngineCodePage : public EngineTest, public ::testing::WithParamInterface<CodePageCase> {};

// The compiler reads its command line and dcc32.cfg in the system code page (1252 here): a
// folder it holds builds; with one it lacks, the IDE says so and is left unchanged.
TEST_P(EngineCodePage, DecidesWhetherAnIdeThatCompilesTakesTheProduct)
{
    const CodePageCase& c = GetParam();
    Prepare({IdeFixture(Ide::Delphi7)});
    data->InstallDir = c.folder;
    compiler->InstallFiles();
    lines.clear();
    const TKeyExport before = ExportKey(installer.machine.registry, RootKey::CurrentUser, Options(0).Target.UserKey);
    InstallAll();
    EXPECT_EQ(Options(0).Installed, c.builds);
    EXPECT_EQ(ExportKey(installer.machine.registry, RootKey::CurrentUser, Options(0).Target.UserKey) == before,
              !c.builds);
    if (c.builds)
        EXPECT_THAT(At(llError), ::testing::IsEmpty());
    else
        EXPECT_THAT(At(llError), ElementsAre("Delphi 7.0 (Enterprise) is left unchanged: its command-line tools read "
                                             "only the system code page, which cannot hold \"" +
                                             c.folder + "\\Packages\\Delphi7\""));
}
INSTANTIATE_TEST_SUITE_P(Folders, EngineCodePage,
                         ::testing::Values(CodePageCase{"Held", "C:\\Caf\xC3\xA9", true},
                                           CodePageCase{"Lacked", "C:\\\xC5\x81ukasz", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The product's folders in the path lists of a RAD Studio 2009 rooted at C:\RAD: a folder is
// found with or without a delimiter, ignoring case and in its $(BDS) form.
TEST_F(EngineTest, PathEditsFindTheFolderInEveryForm)
{
    Build({IdeFixture(Ide::Rad2009, "C:\\Tools")});
    TCompileTarget& target = Options(0).Target;
    target.RootDir = "C:\\RAD";
    const std::tuple<std::vector<std::string>, bool, const char*, std::vector<std::string>> cases[] = {
        // the list, added or removed, the folder, the list after
        {{"$(BDS)\\lib", "D:\\Crv\\", "y"}, true, "D:\\Crv", {"$(BDS)\\lib", "D:\\Crv", "y"}},
        {{"$(BDS)\\Crv\\", "x"}, true, "C:\\RAD\\Crv", {"C:\\RAD\\Crv", "x"}},
        {{"x"}, true, "D:\\Elsewhere", {"x", "D:\\Elsewhere"}},
        {{"d:\\crv", "$(BDS)\\lib", "D:\\CRV"}, true, "D:\\Crv", {"D:\\Crv", "$(BDS)\\lib", "D:\\CRV"}},
        {{"d:\\crv", "$(BDS)\\lib", "D:\\CRV\\"}, false, "D:\\Crv", {"$(BDS)\\lib"}},
        {{"$(BDS)\\Crv", "c:\\rad\\crv\\", "x"}, false, "C:\\RAD\\Crv", {"x"}},
    };
    for (const auto& [list, add, folder, expected] : cases) {
        target.SearchPaths = list;
        if (add)
            compiler->AddPath(target, target.SearchPaths, folder, "Search paths");
        else
            compiler->RemovePath(target, target.SearchPaths, folder, "Search paths");
        EXPECT_EQ(target.SearchPaths, expected) << folder;
    }
}

TEST_F(EngineTest, AProductBelowTheIdesRootGoesInWithItsMacroAndOneElsewhereWithItsPath)
{
    Build({IdeFixture(Ide::Rad2009, "C:\\Tools")});
    TTargetOptions& options = Options(0);
    TCompileTarget& target = options.Target;
    target.RootDir = "C:\\RAD";
    data->InstallDir = "C:\\RAD\\Corvalis";
    target.SearchPaths = {"$(BDS)\\lib", "C:\\RAD\\Corvalis\\Delphi2009\\", "$(BDS)\\Corvalis\\Delphi2009\\"};
    compiler->AddSearchPaths(options);
    EXPECT_THAT(target.SearchPaths,
                ElementsAre("$(BDS)\\lib", "C:\\RAD\\Corvalis\\Delphi2009\\", "$(BDS)\\Corvalis\\Delphi2009"));
    EXPECT_THAT(target.CppSearchPaths, Contains("$(BDS)\\Corvalis\\Delphi2009"));
    compiler->RemoveSearchPath(options);
    EXPECT_THAT(target.SearchPaths, ElementsAre("$(BDS)\\lib"));
    EXPECT_THAT(target.CppSearchPaths, ElementsAre("$(BDS)\\lib", "$(BDS)\\lib\\obj"));
    // Elsewhere, without the C++ personality: the full path, and the C++ list untouched.
    data->InstallDir = "D:\\Corvalis";
    target.Personalities = {"Delphi.Win32"};
    compiler->AddSearchPaths(options);
    EXPECT_THAT(target.SearchPaths, ElementsAre("$(BDS)\\lib", "D:\\Corvalis\\Delphi2009"));
    EXPECT_THAT(target.CppSearchPaths, ElementsAre("$(BDS)\\lib", "$(BDS)\\lib\\obj"));
}

// A package leaves each list once, named as registered, and the package search path; PATH's
// folders are searched quoted, empty or as written.
TEST_F(EngineTest, APackageLeavesEachListOnceAndPathFoldersAreSearchedInEveryForm)
{
    Build({IdeFixture(Ide::Delphi7)
               .WithDisabledPackage("C:\\Old\\CorvalisDsgnD7.bpl", "old")
               .WithKnownPackage("C:\\A\\CorvalisDsgnD7.bpl")
               .WithKnownPackage("C:\\B\\CORVALISDSGND7.BPL")});
    TTargetOptions& delphi7 = Options(0);
    delphi7.Target.PackageSearchPaths = {"C:\\Search"};
    files.AddFile("C:\\Search\\CorvalisDsgnD7.bpl");
    compiler->UninstallPackage(delphi7, "CorvalisDsgn");
    EXPECT_EQ(delphi7.Target.DisabledPackages.Count(), 0);
    ASSERT_NE(delphi7.Target.FindPackage("CorvalisDsgnD7.bpl"), nullptr);
    EXPECT_EQ(delphi7.Target.FindPackage("CorvalisDsgnD7.bpl")->FileName, "C:\\B\\CORVALISDSGND7.BPL");

    for (const char* file : {"C:\\Quoted Tools\\X.bpl", "C:\\X.bpl", "C:\\Plain\\X.bpl"})
        files.AddFile(file);
    installer.machine.processes.SetEnv("PATH", "\"C:\\Quoted Tools\";C:\\Plain;;\"\"");
    compiler->RemoveFromPathFolders("X.bpl");
    EXPECT_THAT(files.Recycled(), ElementsAre("C:\\Search\\CorvalisDsgnD7.bpl", "C:\\Quoted Tools\\X.bpl",
                                              "C:\\Plain\\X.bpl", "C:\\X.bpl"));
}

TEST_F(EngineTest, EachWayTheExtractionFailsHasItsMessage)
{
    Prepare();
    const std::string prefix = "Error extracting component files from archive.\r";
    const std::pair<std::string, std::string> codes[] = {{"3", "A CRC error occurred when unpacking."},
                                                         {"255", "Unknown extract error."}};
    for (const auto& [code, message] : codes) {
        installer.machine.processes.SetEnv("CORVALIS_UNRAR_EXIT", code);
        data->ProductInstalled = true;
        EXPECT_THAT([&] { compiler->ExtractDistribution(); }, ThrowsMessage<Exception>(prefix + message)) << code;
        EXPECT_FALSE(data->ProductInstalled);
    }

    data->InstallDir = "C:\\Corvalis\" -ep -y \"C:\\Elsewhere";
    const size_t started = installer.machine.processes.StartedProcesses().size();
    EXPECT_THAT([&] { compiler->ExtractDistribution(); },
                ThrowsMessage<Exception>(::testing::HasSubstr("must not contain a double quote")));
    EXPECT_EQ(installer.machine.processes.StartedProcesses().size(), started);

    files.DeleteFile(std::string(testing::InstallerMachine::kPackageFolder) + "\\data.arc");
    data->ProductInstalled = true;
    const size_t logged = lines.size();
    EXPECT_THAT([&] { compiler->ExtractDistribution(); },
                ThrowsMessage<Exception>("File not exists:\"data.arc\". Invalid installer package."));
    EXPECT_EQ(lines.size(), logged);
    EXPECT_TRUE(data->ProductInstalled);
}

// Run from the Uninstall folder itself, the installer copies and deletes nothing there.
TEST_F(EngineTest, TheUninstallFolderGetsThePackagesFilesOnlyFromElsewhere)
{
    Prepare();
    files.ForceDirectories(data->InstallDir);
    shell->CopyUninstallFiles();
    EXPECT_EQ(files.ReadFile(Uninstall("setup.exe")), "MZ setup");
    files.DeleteFile(Uninstall("metapvds"));
    files.SetCurrentDirectory(data->InstallDir + "\\UNINSTALL");
    files.DeleteFile(Uninstall("withsrcs"));
    shell->CopyUninstallFiles();
    EXPECT_FALSE(Exists(Uninstall("metapvds")) || Exists(Uninstall("withsrcs")));
    EXPECT_TRUE(Exists(Uninstall("version")));
}

struct GroupCase {
    const char* name;
    const char* startFolder;             // the group the installation recorded
    bool programsFolder;                 // false: the system has none, the group lies at the drive root
    const char* othersShortcut;          // another program's, below the Programs folder
    std::vector<const char*> kept, gone; // folders below the Programs folder
};

class StartMenuRemovalTest : public EngineTest, public ::testing::WithParamInterface<GroupCase> {};

TEST_P(StartMenuRemovalTest, OnlyTheInstallersShortcutsAndTheLevelsLeftEmptyGo)
{
    const GroupCase& test = GetParam();
    Prepare();
    if (!test.programsFolder)
        data->ProgramsFolder.clear();
    const std::string programs = data->ProgramsFolder;
    const auto below = [&](const std::string& path) { return programs + "\\" + path; };
    files.AddFile(below(test.othersShortcut), "[shortcut]");
    data->StartFolder = test.startFolder;
    InstallProduct();
    const std::vector<MemoryShell::Shortcut> made = installer.machine.shell.Shortcuts();
    ASSERT_EQ(made.size(), 11u);

    // A later run starts from the default group, as removal and update do.
    TInstallData& later = installer.Start();
    later.ProgramsFolder = programs;
    TLogToList log(installer.machine.locale);
    TShellIntegration(installer.machine.platform, later).RemoveProductFiles(log);

    for (const MemoryShell::Shortcut& shortcut : made)
        EXPECT_FALSE(Exists(shortcut.linkFile)) << shortcut.linkFile;
    EXPECT_TRUE(Exists(below(test.othersShortcut)));
    for (const char* folder : test.kept)
        EXPECT_TRUE(files.DirectoryExists(below(folder))) << folder;
    for (const char* folder : test.gone)
        EXPECT_FALSE(files.DirectoryExists(below(folder))) << folder;
}

const GroupCase kGroups[] = {
    {"TheDefault", "Halvorn\\Corvalis VCL Edition", true, "Editor\\Editor.lnk", {"Editor"}, {"Halvorn"}},
    {"AnExistingGroup", "Accessories", true, "Accessories\\Notepad.lnk", {"Accessories"}, {}},
    {"ASharedFirstLevel", "Tools\\Corvalis", true, "Tools\\Editor.lnk", {"Tools"}, {"Tools\\Corvalis"}},
    {"TheProgramsFolderItself", ".", true, "Notepad.lnk", {"."}, {}},
    {"AboveTheProgramsFolder", "..\\Corvalis", true, "Notepad.lnk", {".", "..\\Corvalis"}, {}},
    {"NoProgramsFolder", "Halvorn\\Corvalis VCL Edition", false, "Tools\\Editor.lnk", {"Tools"}, {"Halvorn"}}};
INSTANTIATE_TEST_SUITE_P(Groups, StartMenuRemovalTest, ::testing::ValuesIn(kGroups),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace corvalis
