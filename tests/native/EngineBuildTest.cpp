#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/MetadataProviders.h"
#include "engine/Compile.h"
#include "fixtures/RegistrySnapshot.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "native/InstallerMachine.h"
#include "platform/Exceptions.h"

namespace corvalis {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;
using ::testing::IsEmpty;
using ::testing::Not;

// IDEs on a machine where the product's files have been extracted, ready to build into.
class EngineBuildTest : public ::testing::Test {
protected:
    void Prepare(const std::vector<IdeFixture>& fixtures, const std::vector<std::string>& arguments = {})
    {
        for (const IdeFixture& fixture : fixtures)
            installer.Install(fixture);
        data = &installer.Start(arguments);
        compiler = std::make_unique<TCompiler>(installer.machine.platform, *data);
        compiler->InstallFiles();
        compiler->Log().OnLog = [this](TLogBase&, TLogLevel level, const std::u16string& text, DateTime) {
            lines.emplace_back(level, installer.machine.locale.WideToAnsi(text));
        };
    }
    TTargetOptions& Options(int index) { return (*data->TargetOptions)[index]; }
    std::vector<std::string> At(TLogLevel level) const
    {
        std::vector<std::string> texts;
        for (const auto& [l, text] : lines)
            if (l == level)
                texts.push_back(text);
        return texts;
    }
    bool Exists(const std::string& path) const { return installer.machine.files.FileExists(path); }
    std::string System(const std::string& file) const
    {
        return installer.machine.files.SystemDirectory() + "\\" + file;
    }

    testing::InstallerMachine installer;
    TInstallData* data = nullptr;
    std::unique_ptr<TCompiler> compiler;
    std::vector<std::pair<TLogLevel, std::string>> lines;
};

TEST_F(EngineBuildTest, AnInstallIntoDelphi7BuildsRegistersAndAddsThePaths)
{
    Prepare({IdeFixture(Ide::Delphi7)});
    TTargetOptions& delphi7 = Options(0);
    delphi7.Action = taInstall;
    compiler->InstallIntoIdes();
    EXPECT_THAT(At(llError), IsEmpty());

    const std::string output = data->InstallDir + "\\Delphi7";
    EXPECT_TRUE(Exists(output + "\\CorvalisD7.bpl"));
    EXPECT_TRUE(Exists(output + "\\CorvalisDsgnD7.bpl"));
    EXPECT_TRUE(Exists(output + "\\CorvalisD7.dcp"));
    EXPECT_TRUE(Exists(System("CorvalisD7.bpl")));
    EXPECT_FALSE(Exists(System("CorvalisDsgnD7.bpl")));
    EXPECT_FALSE(Exists(data->InstallDir + "\\Packages\\Delphi7\\dcc32.cfg"));
    EXPECT_TRUE(delphi7.Installed);

    const TCompileTarget& target = delphi7.Target;
    ASSERT_NE(target.FindPackage("CorvalisDsgnD7.bpl"), nullptr);
    EXPECT_EQ(target.FindPackage("CorvalisDsgnD7.bpl")->FileName, output + "\\CorvalisDsgnD7.bpl");
    EXPECT_EQ(target.SearchPaths.back(), output);
    EXPECT_EQ(target.BrowsingPaths.back(), data->InstallDir + "\\Sources");
    // The built-in connectivity packages whose libraries the IDE has are built too.
    for (const char* provider : {"ADO", "BDE", "IBEx", "DbEx"})
        EXPECT_NE(target.FindPackage("CorvalisDsgn" + std::string(provider) + "D7.bpl"), nullptr) << provider;

    const auto stored = testing::SnapshotKey(installer.machine.registry, RootKey::CurrentUser, target.UserKey);
    EXPECT_THAT(stored.at("LIBRARY\\SEARCH PATH"), HasSubstr(output));
    EXPECT_EQ(stored.at("KNOWN PACKAGES\\" + UpperCase(output) + "\\CORVALISDSGND7.BPL"), "s:Corvalis Component");
    const auto options = testing::SnapshotKey(installer.machine.registry, RootKey::LocalMachine, delphi7.TargetKey());
    EXPECT_EQ(options.at("INSTALLED"), "i:1");
}

TEST_F(EngineBuildTest, TheConfigurationFileHoldsTheTwentyFiveLinesForADelphiTarget)
{
    Prepare({IdeFixture(Ide::Delphi7)});
    TTargetOptions& delphi7 = Options(0);
    delphi7.Target.SearchPaths.clear();
    const std::string file = "C:\\dcc32.cfg";
    compiler->WriteCompilerConfig(file, delphi7);
    const std::string out = data->InstallDir + "\\Delphi7";
    const std::string bpl = "C:\\Program Files\\Borland\\Delphi7\\Projects\\Bpl";
    std::string expected = "-Q -B -H+ -W+\r\n";
    for (const std::string& folders :
         {out + ";" + out, std::string(), bpl + ";" + bpl, std::string("$(DELPHI)\\Projects\\Bpl")})
        for (const char* option : {"-U", "-I", "-R", "-O"})
            expected += std::string(option) + "\"" + folders + "\"\r\n";
    for (const char* option : {"-LE", "-LN", "-N0", "-N1", "-NH", "-N2", "-NO", "-NB"})
        expected += std::string(option) + "\"" + out + "\"\r\n";
    EXPECT_EQ(installer.machine.files.ReadFile(file), expected);
}

TEST_F(EngineBuildTest, BdsTargetsWithTheCppPersonalityAlsoAskForCppFiles)
{
    Prepare({IdeFixture(Ide::Rad2007)});
    TTargetOptions& rad = Options(0);
    rad.Target.SearchPaths = {"$(BDS)\\lib", "$(Nowhere)", "$(BDS)\\Imports"};
    compiler->WriteCompilerConfig("C:\\both.cfg", rad);
    const std::vector<std::string> both = TextLines(*installer.machine.files.ReadFile("C:\\both.cfg"));
    ASSERT_EQ(both.size(), 25u);
    EXPECT_EQ(both[0], "-Q -B -H+ -W+ -JL");
    EXPECT_EQ(both[5], "-U\"" + rad.Target.RootDir + "\\lib;;" + rad.Target.RootDir + "\\Imports\"");
    EXPECT_EQ(both[13], "-U\"$(BDSCOMMONDIR)\\Bpl\"");

    rad.Target.Personalities = {"Delphi.Win32"};
    compiler->WriteCompilerConfig("C:\\delphi.cfg", rad);
    EXPECT_EQ(TextLines(*installer.machine.files.ReadFile("C:\\delphi.cfg"))[0], "-Q -B -H+ -W+");
}

TEST_F(EngineBuildTest, AFailedCompileLeavesNoConfigurationFileAndTheIdeWithoutTheProduct)
{
    Prepare({IdeFixture(Ide::Delphi7)});
    installer.machine.processes.SetEnv("CORVALIS_DCC32_FAIL", "CorvalisDsgnD7.dpk");
    Options(0).Action = taInstall;
    compiler->InstallIntoIdes();
    EXPECT_THAT(At(llError), Contains("Error compiling package: CorvalisDsgnD7.dpk"));
    EXPECT_FALSE(Exists(data->InstallDir + "\\Packages\\Delphi7\\dcc32.cfg"));
    EXPECT_FALSE(Options(0).Installed);
    EXPECT_EQ(Options(0).Target.FindPackage("CorvalisDsgnD7.bpl"), nullptr);
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, Options(0).TargetKey()));
}

TEST_F(EngineBuildTest, CppBuilderBuildsWithBpr2MakAndMakeAndCleansUpAfterBoth)
{
    Prepare({IdeFixture(Ide::CBuilder6)});
    TTargetOptions& bcb = Options(0);
    bcb.Action = taInstall;
    compiler->InstallIntoIdes();
    EXPECT_THAT(At(llError), IsEmpty());
    const std::string packages = data->InstallDir + "\\Packages\\CBuilder6";
    EXPECT_TRUE(Exists(data->InstallDir + "\\CBuilder6\\CorvalisC6.bpl"));
    EXPECT_TRUE(Exists(System("CorvalisC6.bpl")));
    for (const char* left : {"\\dcc32.cfg", "\\CorvalisC6.mak", "\\CorvalisC6.obj", "\\CorvalisC6.tds"})
        EXPECT_FALSE(Exists(packages + left)) << left;
    EXPECT_THAT(At(llDebug), Contains("\"" + bcb.Bpr2MakFile() + "\" \"" + packages + "\\CorvalisC6.bpk\""));
    // The headers of the built units are where the IDE's compiler looks for them.
    std::vector<FoundFile> headers;
    FindFiles(installer.machine.files, bcb.VclIncludeDir(), "*.hpp", false, nullptr, headers);
    EXPECT_FALSE(headers.empty());
}

TEST_F(EngineBuildTest, AFailedMakeKeepsItsIntermediateFiles)
{
    Prepare({IdeFixture(Ide::CBuilder6)});
    installer.machine.processes.SetEnv("CORVALIS_MAKE_FAIL", "CorvalisC6.mak");
    Options(0).Action = taInstall;
    compiler->InstallIntoIdes();
    EXPECT_THAT(At(llError), Contains("Error executing make"));
    EXPECT_TRUE(Exists(data->InstallDir + "\\Packages\\CBuilder6\\CorvalisC6.mak"));
}

TEST_F(EngineBuildTest, KeepFilesLeavesTheConfigurationFileAndTheMakefilesInPlace)
{
    Prepare({IdeFixture(Ide::Delphi7), IdeFixture(Ide::CBuilder6)}, {"--keep-files"});
    Options(0).Action = Options(1).Action = taInstall;
    compiler->InstallIntoIdes();
    EXPECT_THAT(At(llError), IsEmpty());
    for (const char* kept : {"\\Delphi7\\dcc32.cfg", "\\CBuilder6\\CorvalisC6.mak", "\\CBuilder6\\CorvalisC6.obj"})
        EXPECT_TRUE(Exists(data->InstallDir + "\\Packages" + kept)) << kept;
}

TEST_F(EngineBuildTest, WithoutACompilerPrebuiltPackagesAreRegisteredAndMissingOnesFail)
{
    Prepare({IdeFixture(Ide::Delphi7).WithoutCompiler(), IdeFixture(Ide::Delphi6).WithoutCompiler()});
    const std::string prebuilt = data->InstallDir + "\\Delphi7\\";
    installer.machine.files.AddFile(prebuilt + "CorvalisD7.bpl", "prebuilt");
    installer.machine.files.AddFile(prebuilt + "CorvalisDsgnD7.bpl", "prebuilt");
    TTargetOptions& delphi6 = Options(0);
    TTargetOptions& delphi7 = Options(1);
    delphi6.Action = taInstall;
    delphi7.Action = taInstall;
    compiler->InstallIntoIdes();
    EXPECT_TRUE(delphi7.Installed);
    EXPECT_NE(delphi7.Target.FindPackage("CorvalisDsgnD7.bpl"), nullptr);
    EXPECT_FALSE(delphi6.Installed);
    EXPECT_THAT(At(llError), Contains("File not exists: " + data->InstallDir + "\\Delphi6\\CorvalisD6.bpl"));
}

TEST_F(EngineBuildTest, ALockedPackageInTheSystemFolderStopsThatIdeOnlyAndIdesGoFromTheLast)
{
    Prepare({IdeFixture(Ide::Delphi7), IdeFixture(Ide::Rad2010)});
    installer.machine.files.AddFile(System("CorvalisD7.bpl"), "old");
    installer.machine.files.SetInUse(System("CorvalisD7.bpl"), true);
    Options(0).Action = taInstall;
    Options(1).Action = taInstall;
    compiler->InstallIntoIdes();
    EXPECT_THAT(At(llInfo), AllOf(Contains("Compiling for:Embarcadero RAD Studio 2010 (Architect)"),
                                  Contains("Compiling for:Delphi 7.0 (Enterprise)")));
    const std::vector<std::string> info = At(llInfo);
    EXPECT_LT(std::find(info.begin(), info.end(), "Compiling for:Embarcadero RAD Studio 2010 (Architect)"),
              std::find(info.begin(), info.end(), "Compiling for:Delphi 7.0 (Enterprise)"));
    EXPECT_THAT(At(llError), ElementsAre("  ERROR: cannot delete file: " + System("CorvalisD7.bpl"),
                                         "System Error.  Code: 5.\r\nAccess is denied"));
    EXPECT_FALSE(Options(0).Installed);
    EXPECT_TRUE(Options(1).Installed);
}

TEST_F(EngineBuildTest, AConnectivityPackageThatFailsIsTakenOutWhileTheOthersStay)
{
    Prepare({IdeFixture(Ide::Delphi7).WithKnownPackage("C:\\Zeos\\zcomponentdesign70.bpl", "Zeos")});
    installer.machine.processes.SetEnv("CORVALIS_DCC32_FAIL", "CorvalisZeosD7.dpk");
    TTargetOptions& delphi7 = Options(0);
    delphi7.Action = taInstall;
    compiler->InstallIntoIdes();
    EXPECT_THAT(At(llError), ElementsAre("Error compiling package: CorvalisZeosD7.dpk"));
    EXPECT_TRUE(delphi7.Installed);
    EXPECT_EQ(delphi7.Target.FindPackage("CorvalisDsgnZeosD7.bpl"), nullptr);
    EXPECT_NE(delphi7.Target.FindPackage("CorvalisDsgnADOD7.bpl"), nullptr);
    std::vector<std::string> selected;
    for (const TMetadataProvider* provider : delphi7.SelectedProviders)
        selected.push_back(provider->Name);
    EXPECT_THAT(selected, ElementsAre("ADO", "BDE", "IBEx", "DbEx"));
    const auto stored = testing::SnapshotKey(installer.machine.registry, RootKey::LocalMachine, delphi7.TargetKey());
    EXPECT_EQ(stored.at("ZEOS CONNECTIVITY"), "i:0");
}

TEST_F(EngineBuildTest, ConnectivityPackagesAreRemovedFromTheLastAndBuiltFromTheFirst)
{
    Prepare({IdeFixture(Ide::Delphi7)});
    Options(0).Action = taInstall;
    compiler->InstallIntoIdes();
    const std::vector<std::string> debug = At(llDebug);
    const auto first = [&](const std::string& text) { return std::find(debug.begin(), debug.end(), text); };
    EXPECT_LT(first("Uninstalling Corvalis Component ODBCExpress Connectivity"),
              first("Uninstalling Corvalis Component ADO Connectivity"));
    const std::vector<std::string> info = At(llInfo);
    EXPECT_THAT(
        std::vector<std::string>(
            std::find(info.begin(), info.end(), "Adding component folders to IDE paths collections") + 1, info.end()),
        ElementsAre("Compiling/Installing Corvalis Component ADO Connectivity",
                    "Compiling/Installing Corvalis Component BDE Connectivity",
                    "Compiling/Installing Corvalis Component IBExpress Connectivity",
                    "Compiling/Installing Corvalis Component dbExpress Connectivity"));
}

TEST_F(EngineBuildTest, AnUnselectedProviderIsUnregisteredAndStoredAsNotInstalled)
{
    Prepare({IdeFixture(Ide::Delphi7).WithKnownPackage("C:\\Zeos\\zcomponentdesign70.bpl", "Zeos")});
    TTargetOptions& delphi7 = Options(0);
    delphi7.Action = taInstall;
    compiler->InstallIntoIdes();
    ASSERT_NE(delphi7.Target.FindPackage("CorvalisDsgnZeosD7.bpl"), nullptr);
    for (const auto& provider : *data->Providers)
        if (provider->Name == "Zeos")
            delphi7.RemoveSelectedProvider(*provider);
    compiler->InstallIntoIdes();
    EXPECT_EQ(delphi7.Target.FindPackage("CorvalisDsgnZeosD7.bpl"), nullptr);
    EXPECT_EQ(testing::SnapshotKey(installer.machine.registry, RootKey::LocalMachine, delphi7.TargetKey())
                  .at("ZEOS CONNECTIVITY"),
              "i:0");
}

TEST_F(EngineBuildTest, StaleUnitsGoBeforeABuildFromSourcesOnly)
{
    Prepare({IdeFixture(Ide::Delphi7)});
    const std::string stale = data->InstallDir + "\\Delphi7\\Old\\Stale.dcu";
    installer.machine.files.AddFile(stale);
    TTargetOptions& delphi7 = Options(0);
    delphi7.Action = taInstall;
    delphi7.CompilePackages = false;
    compiler->InstallIntoIdes();
    EXPECT_TRUE(Exists(stale));
    delphi7.CompilePackages = true;
    compiler->InstallIntoIdes();
    EXPECT_FALSE(Exists(stale));
}

TEST_F(EngineBuildTest, TheTmsModeTakesItsFormsFromTheTntFolderAndSourcesMayStayOffTheBrowsingPath)
{
    Prepare({IdeFixture(Ide::Delphi7).WithKnownPackage("C:\\TMS\\TMSUnicodeD7.bpl")});
    data->CompilationMode = cmTMS;
    std::vector<FoundFile> forms;
    FindFiles(installer.machine.files, data->SourcesDir() + "\\TntForms", "*.*", true, nullptr, forms);
    ASSERT_FALSE(forms.empty());
    TTargetOptions& delphi7 = Options(0);
    delphi7.Action = taInstall;
    delphi7.AddSourceLocation = false;
    compiler->InstallIntoIdes();
    for (const FoundFile& form : forms)
        EXPECT_EQ(installer.machine.files.ReadFile(data->SourcesDir() + "\\" + ExtractFileName(form.path)),
                  installer.machine.files.ReadFile(form.path));
    EXPECT_THAT(delphi7.Target.BrowsingPaths, Not(Contains(data->SourcesDir())));
    EXPECT_EQ(delphi7.Target.SearchPaths.back(), data->InstallDir + "\\Delphi7");
}

} // namespace
} // namespace corvalis
