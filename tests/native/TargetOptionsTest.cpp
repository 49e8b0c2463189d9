#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/InstallData.h"
#include "engine/uLogger.h"
#include "fixtures/MemoryFixture.h"
#include "fixtures/RegistrySnapshot.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "platform/Exceptions.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;
using testing::Ide;
using testing::IdeFixture;
using ::testing::IsEmpty;
using ::testing::ThrowsMessage;

class TargetOptionsTest : public ::testing::Test {
protected:
    // The options of an IDE alone on the machine (earlier IDEs forgotten), after the given set-up.
    TTargetOptions& OptionsOf(const IdeFixture& fixture, const testing::PackageFolder& package = {})
    {
        for (RootKey root : {RootKey::LocalMachine, RootKey::CurrentUser})
            for (const char* vendor : {"SOFTWARE\\Borland", "SOFTWARE\\CodeGear"})
                machine.registry.DeleteKey(root, vendor);
        testing::PreparePackageFolder(machine, package);
        testing::MemoryFixtureFiles files(machine);
        fixture.Install(machine.platform, files);
        options = std::make_unique<TCmdOptions>(std::vector<std::string>{}, machine.files, machine.console);
        data = std::make_unique<TInstallData>(machine.platform, *options, [](const std::string&) {});
        EXPECT_EQ(data->TargetOptions->Count(), 1);
        return (*data->TargetOptions)[0];
    }
    // Options stored by an earlier run, which recorded the product as installed too.
    std::unique_ptr<IRegistryKey> StoredOptions(const std::string& displayName)
    {
        auto product = machine.registry.OpenKey(RootKey::LocalMachine, ProductKey, KeyAccess::WriteCreate);
        product->WriteString("InstallDir", "C:\\Program Files\\Halvorn\\Corvalis");
        product->WriteString("InstalledVersion", "2.0.1.0 Standard Edition With Sources");
        return machine.registry.OpenKey(RootKey::LocalMachine, std::string(ProductKey) + "\\" + displayName,
                                        KeyAccess::WriteCreate);
    }
    std::vector<std::string> Names(const std::vector<const TMetadataProvider*>& providers)
    {
        std::vector<std::string> names;
        for (const TMetadataProvider* provider : providers)
            names.push_back(provider->Name);
        return names;
    }
    const TMetadataProvider& Provider(const std::string& name)
    {
        for (const auto& provider : *data->Providers)
            if (provider->Name == name)
                return *provider;
        throw std::logic_error("no provider " + name);
    }

    MemoryPlatform machine;
    std::unique_ptr<TCmdOptions> options;
    std::unique_ptr<TInstallData> data;
};

const IdeFixture kDelphi7WithZeos = IdeFixture(Ide::Delphi7)
                                        .WithKnownPackage("C:\\Zeos\\zcomponentdesign70.bpl", "Zeos")
                                        .WithKnownPackage("C:\\Doa\\doa70.bpl", "Direct Oracle Access");

TEST_F(TargetOptionsTest, AnIdeWithoutStoredOptionsGetsTheFirstRunDefaults)
{
    const TTargetOptions& o = OptionsOf(kDelphi7WithZeos);
    EXPECT_FALSE(o.Installed);
    EXPECT_TRUE(o.IdeRegistration);
    EXPECT_TRUE(o.AddSourceLocation);
    EXPECT_TRUE(o.CompilePackages);
    EXPECT_EQ(o.Action, taLeaveUnchanged);
    EXPECT_THAT(Names(o.SelectedProviders), ElementsAre("ADO", "BDE", "IBEx", "DbEx", "Zeos", "DOA"));
    EXPECT_THAT(o.InstalledProviders, IsEmpty());
    EXPECT_EQ(o.TargetKey(), "Software\\Halvorn\\Corvalis\\Delphi 7.0 (Enterprise)");
}

TEST_F(TargetOptionsTest, APackageWithoutSourcesOrConnectivityDefaultsToLess)
{
    const TTargetOptions& o = OptionsOf(kDelphi7WithZeos, {.withSources = false, .connectivity = false});
    EXPECT_FALSE(o.AddSourceLocation);
    EXPECT_FALSE(o.CompilePackages);
    EXPECT_THAT(Names(o.SelectedProviders), ElementsAre("ADO", "BDE", "IBEx", "DbEx"));
}

TEST_F(TargetOptionsTest, StoredOptionsAreReadWithTheConnectivityValuesOfAvailablePackages)
{
    auto stored = StoredOptions("Delphi 7.0 (Enterprise)");
    stored->WriteInteger("Installed", 1);
    stored->WriteInteger("IDE Registration", 0);
    stored->WriteInteger("Add Source Location", 0);
    stored->WriteInteger("Compile Packages", 0);
    stored->WriteInteger("ZEOS Connectivity", 0);
    stored->WriteInteger("FIBPlus Connectivity", 1);
    const TTargetOptions& o = OptionsOf(kDelphi7WithZeos);
    EXPECT_TRUE(o.Installed);
    EXPECT_FALSE(o.IdeRegistration);
    EXPECT_FALSE(o.AddSourceLocation);
    EXPECT_TRUE(o.CompilePackages); // never read: the package's default stays
    // Zeos is stored as not wanted, DOA has no value, FIBPlus is missing in the IDE.
    EXPECT_THAT(Names(o.SelectedProviders), ElementsAre("ADO", "BDE", "IBEx", "DbEx", "DOA"));
    EXPECT_THAT(Names(o.InstalledProviders), ElementsAre("ADO", "BDE", "IBEx", "DbEx"));
}

TEST_F(TargetOptionsTest, StoredOptionsLackingARequiredValueFail)
{
    StoredOptions("Delphi 7.0 (Enterprise)")->WriteInteger("Installed", 1);
    EXPECT_THAT([&] { OptionsOf(IdeFixture(Ide::Delphi7)); },
                ThrowsMessage<ERegistryException>("Failed to get data for 'IDE Registration'"));
}

TEST_F(TargetOptionsTest, AnotherEditionTextMeansNoStoredOptions)
{
    StoredOptions("Delphi 7.0 (Enterprise)")->WriteInteger("Installed", 1);
    EXPECT_FALSE(OptionsOf(IdeFixture(Ide::Delphi7).WithEdition("Professional")).Installed);
}

TEST_F(TargetOptionsTest, SavingWritesEveryValueTypedAndRemovalDeletesTheKey)
{
    TTargetOptions& o = OptionsOf(kDelphi7WithZeos);
    o.Installed = true;
    o.AddInstalledProvider(Provider("Zeos"));
    o.AddInstalledProvider(Provider("ADO"));
    o.Save();
    const testing::RegistrySnapshot saved =
        testing::SnapshotKey(machine.registry, RootKey::LocalMachine, o.TargetKey());
    EXPECT_EQ(saved.at("INSTALLED"), "i:1");
    EXPECT_EQ(saved.at("BPLDIR"), "s:C:\\Program Files\\Halvorn\\Corvalis\\Delphi7");
    EXPECT_EQ(saved.at("DCPDIR"), "s:C:\\Program Files\\Halvorn\\Corvalis\\Delphi7");
    EXPECT_EQ(saved.at("IDE REGISTRATION"), "i:1");
    EXPECT_EQ(saved.at("ZEOS CONNECTIVITY"), "i:1");
    EXPECT_EQ(saved.at("DOA CONNECTIVITY"), "i:0");
    EXPECT_EQ(saved.at("ADD SOURCE LOCATION"), "i:1");
    EXPECT_EQ(saved.at("COMPILE PACKAGES"), "i:1");
    EXPECT_EQ(saved.count("ADO CONNECTIVITY"), 0u);
    EXPECT_EQ(saved.size(), 6u + 31u);

    o.Installed = false;
    o.Save();
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, o.TargetKey()));
}

struct FolderCase {
    Ide ide;
    TCompilationMode mode;
    std::string output;
    std::string unitOutput;
    std::string packages;
};

TEST_F(TargetOptionsTest, FoldersFollowTheIdeAndTheCompilationMode)
{
    const std::string root = "C:\\Program Files\\Halvorn\\Corvalis\\";
    const FolderCase cases[] = {
        {Ide::Delphi7, cmStandard, "Delphi7", "Delphi7", "Packages\\Delphi7"},
        {Ide::CBuilder6, cmTnt, "CBuilder6", "CBuilder6\\obj", "Packages_Tnt\\CBuilder6"},
        {Ide::Rad2007, cmTMS, "Delphi2007", "Delphi2007", "Packages_TMS\\Delphi2007"},
        {Ide::CBuilder2007, cmDevExpress, "CBuilder2007", "CBuilder2007\\obj", "Packages_DevExpress\\CBuilder2007"},
        {Ide::Delphi2005, cmStandard, "Delphi2005", "Delphi2005", "Packages\\Delphi2005"},
    };
    for (const FolderCase& c : cases) {
        TTargetOptions& o = OptionsOf(IdeFixture(c.ide));
        data->CompilationMode = c.mode;
        EXPECT_EQ(o.OutputDir(), root + c.output);
        EXPECT_EQ(o.UnitOutputDir(), root + c.unitOutput);
        EXPECT_EQ(o.PackageSourceDir(), root + c.packages);
    }
}

TEST_F(TargetOptionsTest, AnIdeRunsOnlyWhenItsOwnExecutableIsLoaded)
{
    const TTargetOptions& o = OptionsOf(IdeFixture(Ide::Rad2009));
    const std::string other = "C:\\Program Files\\CodeGear\\RAD Studio\\5.0\\bin\\bds.exe";
    machine.processes.AddRunningProcess("bds.exe", {other});
    EXPECT_FALSE(o.IsIdeRunning());
    machine.processes.AddRunningProcess("BDS.EXE", {o.Target.AppFile, "C:\\windows\\system32\\kernel32.dll"});
    EXPECT_TRUE(o.IsIdeRunning());
    machine.processes.FailSnapshots(true);
    EXPECT_FALSE(o.IsIdeRunning());
}

TEST_F(TargetOptionsTest, TheIdeFileVersionComesFromTheCorePackage)
{
    EXPECT_EQ(OptionsOf(IdeFixture(Ide::Rad2007)).IdeFileVersion(), "11.0.2709.7128");
    EXPECT_EQ(OptionsOf(IdeFixture(Ide::Rad2007).WithOldCoreIdePackage()).IdeFileVersion(), "11.0.2627.5503");
    EXPECT_EQ(OptionsOf(IdeFixture(Ide::Delphi7)).IdeFileVersion(), "");
}

TEST_F(TargetOptionsTest, ChecksOfTheIdeLookAtItsPackagesAndEdition)
{
    TTargetOptions& o = OptionsOf(IdeFixture(Ide::Rad2010)
                                      .WithEdition("turbo Delphi")
                                      .WithKnownPackage("$(BDS)\\bin\\dclcxLibraryD14.bpl")
                                      .WithKnownPackage("$(BDS)\\bin\\dclcxPageControlD14.bpl")
                                      .WithKnownPackage("$(BDS)\\bin\\dclcxEditorsD14.bpl")
                                      .WithKnownPackage("$(BDS)\\bin\\dclcxExtEditorsD14.bpl")
                                      .WithKnownPackage("$(BDS)\\bin\\TntUnicodeVcl_R140.bpl"));
    EXPECT_TRUE(o.IsTurboEdition());
    EXPECT_TRUE(o.HasDatabaseSupport());
    EXPECT_TRUE(o.HasDcc32());
    const std::pair<TCompilationMode, bool> modes[] = {
        {cmStandard, true}, {cmTnt, true}, {cmTMS, false}, {cmDevExpress, false}};
    for (const auto& [mode, installed] : modes) {
        data->CompilationMode = mode;
        EXPECT_EQ(o.ModePrerequisitesInstalled(), installed) << int(mode);
    }
    const TTargetOptions& plain = OptionsOf(IdeFixture(Ide::Delphi7).WithoutDatabasePackage().WithoutCompiler());
    EXPECT_FALSE(plain.HasDatabaseSupport());
    EXPECT_FALSE(plain.HasDcc32());
    EXPECT_FALSE(plain.IsTurboEdition());
}

TEST_F(TargetOptionsTest, OnlyBuiltInProvidersBuildWithoutTheConnectivityPackagesOrACompiler)
{
    TTargetOptions& o = OptionsOf(kDelphi7WithZeos);
    EXPECT_TRUE(o.CanCompileProvider(Provider("ADO")));
    EXPECT_TRUE(o.CanCompileProvider(Provider("Zeos")));
    EXPECT_FALSE(o.CanCompileProvider(Provider("FIBPlus")));
    data->HasConnectivity = false;
    EXPECT_FALSE(o.CanCompileProvider(Provider("Zeos")));
    EXPECT_TRUE(o.CanCompileProvider(Provider("ADO")));
    data->HasConnectivity = true;
    machine.files.DeleteFile(o.Target.Dcc32File());
    EXPECT_FALSE(o.CanCompileProvider(Provider("Zeos")));
}

TEST_F(TargetOptionsTest, ProviderListsTakeEachProviderOnce)
{
    TTargetOptions& o = OptionsOf(IdeFixture(Ide::Delphi7), {.connectivity = false});
    o.AddSelectedProvider(Provider("ADO"));
    o.AddSelectedProvider(Provider("Zeos"));
    o.RemoveSelectedProvider(Provider("BDE"));
    o.RemoveSelectedProvider(Provider("FIBPlus"));
    EXPECT_THAT(Names(o.SelectedProviders), ElementsAre("ADO", "IBEx", "DbEx", "Zeos"));
    EXPECT_TRUE(o.IsProviderSelected(Provider("Zeos")));
    EXPECT_FALSE(o.IsProviderInstalled(Provider("Zeos")));
}

TEST_F(TargetOptionsTest, TheSettingsDumpListsPathsAndPackages)
{
    TTargetOptions& o = OptionsOf(IdeFixture(Ide::Rad2009));
    o.Target.KnownPackages.Clear();
    o.Target.KnownPackages.Add("$(BDS)\\bin\\dclado120.bpl", "ADO");
    o.Target.KnownIdePackages.Clear();
    o.Target.SearchPaths = {"$(BDS)\\lib"};
    o.Target.BrowsingPaths = {};
    o.Target.CppSearchPaths = {"$(BDS)\\lib\\obj"};
    TLogToList log(machine.locale);
    o.DumpIdeSettings(log);
    std::vector<std::string> lines;
    for (const TLogMessage& message : log.Messages) {
        EXPECT_EQ(message.Level, llDebug);
        lines.push_back(machine.locale.WideToAnsi(message.Text));
    }
    EXPECT_THAT(lines, ElementsAre("Begin of Settings of IDE: CodeGear RAD Studio 2009 (Enterprise)", "",
                                   "Search paths:", "$(BDS)\\lib", "", "Browsing paths:", "",
                                   "Global Cpp Search paths:", "$(BDS)\\lib\\obj", "=== Begin of Known Packages",
                                   "$(BDS)\\bin\\dclado120.bpl", "=== End of Known Packages",
                                   "=== Begin of Known IDE Packages", "=== End of Known IDE Packages",
                                   "=== Begin of Disabled Packages", "=== End of Disabled Packages",
                                   "End of Settings of IDE: CodeGear RAD Studio 2009 (Enterprise)"));
}

TEST_F(TargetOptionsTest, WorkIsAnUpdateOrAnIdeToChange)
{
    TTargetOptions& o = OptionsOf(IdeFixture(Ide::Delphi7));
    const TTargetOptionsList& list = *data->TargetOptions;
    EXPECT_FALSE(list.HasWork());
    o.Action = taRemove;
    EXPECT_TRUE(list.HasWork());
    EXPECT_EQ(list.InstallCount(), 0);
    o.Action = taInstall;
    EXPECT_EQ(list.InstallCount(), 1);
    o.Action = taLeaveUnchanged;
    data->Mode = imUpdate;
    EXPECT_TRUE(list.HasWork());
}

} // namespace
} // namespace corvalis
