#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/InstallData.h"
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

struct VersionCase {
    std::string text;
    std::string major, minor, release, build, edition;
    bool withSources;
    std::string display;
};

TEST(TVersion, TextsParseIntoDigitGroupsAndEditionWords)
{
    const VersionCase cases[] = {
        {"2.0.1.0 Standard Edition With Sources", "2", "0", "1", "0", "Standard Edition With Sources", true,
         "2.0.1.0 Standard Edition With Sources"},
        {"2.0.1.0 Professional with SOURCES", "2", "0", "1", "0", "Professional with SOURCES", true,
         "2.0.1.0 Standard Edition With Sources"},
        {"2.0.1.0 Professional", "2", "0", "1", "0", "Professional", false, "2.0.1.0 Standard Edition"},
        {"2.0.1", "2", "0", "1", "", "", false, "2.0.1 Standard Edition"},
        {"2.0.1 Beta", "2", "0", "1", "", "Beta", false, "2.0.1 Standard Edition"},
        {"2..0...1.", "2", "0", "1", "", "", false, "2.0.1 Standard Edition"},
        {"10.20.30.40.50 x", "10", "20", "30", "40", ".50 x", false, "10.20.30.40 Standard Edition"},
        {"2.0", "", "", "", "", "", false, ".. Standard Edition"},
        {"v2.0.1", "", "", "", "", "", false, ".. Standard Edition"},
    };
    for (const VersionCase& c : cases) {
        const TVersion v(c.text);
        EXPECT_EQ(std::vector<std::string>({v.Major, v.Minor, v.Release, v.Build, v.EditionText}),
                  std::vector<std::string>({c.major, c.minor, c.release, c.build, c.edition}))
            << c.text;
        EXPECT_EQ(v.WithSources, c.withSources) << c.text;
        EXPECT_EQ(v.DisplayText(), c.display) << c.text;
    }
    EXPECT_THAT([] { TVersion(" \t"); }, ThrowsMessage<Exception>("Bad version string"));
}

class InstallDataTest : public ::testing::Test {
protected:
    InstallDataTest() { testing::PreparePackageFolder(machine, {}); }

    TInstallData& Create()
    {
        options = std::make_unique<TCmdOptions>(std::vector<std::string>{}, machine.files, machine.console);
        data = std::make_unique<TInstallData>(machine.platform, *options,
                                              [this](const std::string& text) { shown.push_back(text); });
        return *data;
    }
    std::unique_ptr<IRegistryKey> ProductKeyForWriting()
    {
        return machine.registry.OpenKey(RootKey::LocalMachine, ProductKey, KeyAccess::WriteCreate);
    }
    void Record(const std::string& installDir, const std::string& version)
    {
        auto key = ProductKeyForWriting();
        key->WriteString("InstallDir", installDir);
        key->WriteString("InstalledVersion", version);
    }
    void Install(const IdeFixture& fixture)
    {
        testing::MemoryFixtureFiles files(machine);
        fixture.Install(machine.platform, files);
    }

    MemoryPlatform machine;
    std::unique_ptr<TCmdOptions> options;
    std::unique_ptr<TInstallData> data;
    std::vector<std::string> shown;
};

TEST_F(InstallDataTest, AFreshMachineGivesAFreshInstallationWithTheDefaults)
{
    machine.files.ForceDirectories(*machine.shell.FolderPath(SpecialFolder::Programs) + "\\Accessories");
    machine.files.ForceDirectories(*machine.shell.FolderPath(SpecialFolder::Programs) + "\\Hidden");
    machine.files.SetHidden(*machine.shell.FolderPath(SpecialFolder::Programs) + "\\Hidden", true);
    machine.files.AddFile(*machine.shell.FolderPath(SpecialFolder::Programs) + "\\Notepad.lnk");
    const TInstallData& d = Create();
    EXPECT_EQ(d.Mode, imInstall);
    EXPECT_FALSE(d.ProductInstalled);
    EXPECT_EQ(d.InstalledVersion, nullptr);
    EXPECT_EQ(d.PackageVersion->DisplayText(), "2.0.1.0 Standard Edition With Sources");
    EXPECT_EQ(d.InstallDir, "C:\\Program Files\\Halvorn\\Corvalis");
    EXPECT_EQ(d.StartFolder, "Halvorn\\Corvalis VCL Edition");
    EXPECT_EQ(d.StartMenuFolder(), d.ProgramsFolder + "\\Halvorn\\Corvalis VCL Edition");
    EXPECT_THAT(d.StartMenuGroups, ElementsAre("Accessories"));
    EXPECT_EQ(d.PackagesDir(), "C:\\Program Files\\Halvorn\\Corvalis\\Packages");
    EXPECT_EQ(d.SourcesDir(), "C:\\Program Files\\Halvorn\\Corvalis\\Sources");
    EXPECT_TRUE(d.VisitWeb);
    EXPECT_TRUE(d.WithSources);
    EXPECT_TRUE(d.HasConnectivity);
    EXPECT_EQ(d.Providers->Count(), 35);
    EXPECT_EQ(d.Targets->Count(), 0);
    EXPECT_THAT(shown, IsEmpty());
}

TEST_F(InstallDataTest, WithoutShellFoldersTheFallbacksServe)
{
    machine.shell.SetFolderPath(SpecialFolder::ProgramFiles, std::nullopt);
    machine.shell.SetFolderPath(SpecialFolder::Programs, std::nullopt);
    const TInstallData& d = Create();
    EXPECT_EQ(d.InstallDir, "C:\\Program files\\Halvorn\\Corvalis");
    EXPECT_EQ(d.ProgramsFolder, "");
    EXPECT_THAT(d.StartMenuGroups, IsEmpty());
}

TEST_F(InstallDataTest, AMissingVersionFileIsShownAndFails)
{
    machine.files.DeleteFile("C:\\Setup\\version");
    const std::string message = "File not exists:\"version\". Invalid installer package.";
    EXPECT_THAT([&] { Create(); }, ThrowsMessage<Exception>(message));
    EXPECT_THAT(shown, ElementsAre(message));
    machine.files.CreateDirectory("C:\\Setup\\version");
    EXPECT_THAT([&] { Create(); }, ThrowsMessage<Exception>(message));
}

TEST_F(InstallDataTest, ABlankVersionFileFails)
{
    machine.files.WriteFile("C:\\Setup\\version", " \r\n");
    EXPECT_THAT([&] { Create(); }, ThrowsMessage<Exception>("Bad version string"));
}

TEST_F(InstallDataTest, TheRecordedVersionDecidesTheMode)
{
    const std::pair<std::string, TInstallMode> cases[] = {
        {"2.0.1.0 Standard Edition With Sources", imMaintenance},
        {"2.0.1.0 Professional Edition with sources", imMaintenance},
        {"2.0.1.0 Standard Edition", imUpdate},
        {"2.0.1 Standard Edition With Sources", imUpdate},
        {"1.9.0.0 Standard Edition With Sources", imUpdate},
    };
    for (const auto& [recorded, mode] : cases) {
        Record("C:\\Corvalis", recorded);
        EXPECT_EQ(Create().Mode, mode) << recorded;
        EXPECT_TRUE(data->ProductInstalled);
        EXPECT_EQ(data->InstallDir, "C:\\Corvalis");
    }
}

TEST_F(InstallDataTest, AnEmptyInstallFolderMeansNotInstalledAndTheVersionIsDiscarded)
{
    Record("", "1.0.0.0");
    const TInstallData& d = Create();
    EXPECT_FALSE(d.ProductInstalled);
    EXPECT_EQ(d.InstalledVersion, nullptr);
    EXPECT_EQ(d.InstallDir, "C:\\Program Files\\Halvorn\\Corvalis");
    EXPECT_EQ(d.Mode, imInstall);
}

TEST_F(InstallDataTest, AProductKeyWithoutVersionFails)
{
    ProductKeyForWriting()->WriteString("InstallDir", "C:\\Corvalis");
    EXPECT_THAT([&] { Create(); }, ThrowsMessage<Exception>("Bad version string"));
}

TEST_F(InstallDataTest, StoredChoicesAreReadAndTheModeNeedsSources)
{
    Record("C:\\Corvalis", "2.0.1.0");
    ProductKeyForWriting()->WriteInteger("CompilationMode", cmTMS);
    ProductKeyForWriting()->WriteInteger("Visit Web", 0);
    ProductKeyForWriting()->WriteString("StartFolder", "Elsewhere");
    EXPECT_EQ(Create().CompilationMode, cmTMS);
    EXPECT_FALSE(data->VisitWeb);
    EXPECT_EQ(data->StartFolder, "Halvorn\\Corvalis VCL Edition");

    testing::PreparePackageFolder(machine, {.withSources = false});
    EXPECT_EQ(Create().CompilationMode, cmStandard);
}

TEST_F(InstallDataTest, StoredValuesOfTheWrongTypeFail)
{
    Record("C:\\Corvalis", "2.0.1.0");
    ProductKeyForWriting()->WriteString("Visit Web", "yes");
    EXPECT_THAT([&] { Create(); }, ThrowsMessage<ERegistryException>("Invalid data type for 'Visit Web'"));
    ProductKeyForWriting()->WriteInteger("Visit Web", 1);
    ProductKeyForWriting()->WriteString("CompilationMode", "1");
    EXPECT_THAT([&] { Create(); }, ThrowsMessage<ERegistryException>("Invalid data type for 'CompilationMode'"));
}

TEST_F(InstallDataTest, SavingWritesTheStateTypedOrRemovesItWithEveryIdesOptions)
{
    TInstallData& d = Create();
    d.ProductInstalled = true;
    d.StartFolder = "Tools\\Corvalis";
    d.CompilationMode = cmDevExpress;
    d.SaveToRegistry();
    EXPECT_THAT(testing::SnapshotKey(machine.registry, RootKey::LocalMachine, ProductKey),
                ::testing::ContainerEq(
                    testing::RegistrySnapshot{{"INSTALLDIR", "s:C:\\Program Files\\Halvorn\\Corvalis"},
                                              {"STARTFOLDER", "s:Tools\\Corvalis"},
                                              {"INSTALLEDVERSION", "s:2.0.1.0 Standard Edition With Sources"},
                                              {"COMPILATIONMODE", "i:3"},
                                              {"VISIT WEB", "i:1"}}));

    machine.registry
        .OpenKey(RootKey::LocalMachine, std::string(ProductKey) + "\\Delphi 7.0 (Enterprise)", KeyAccess::WriteCreate)
        ->WriteInteger("Installed", 1);
    d.ProductInstalled = false;
    d.SaveToRegistry();
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
}

TEST_F(InstallDataTest, WithoutAdministratorRightsNothingIsStoredAndNothingFails)
{
    TInstallData& d = Create();
    d.ProductInstalled = true;
    machine.registry.SetReadOnly(RootKey::LocalMachine, true);
    d.SaveToRegistry();
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
}

TEST_F(InstallDataTest, EveryIdeGetsOptionsInTargetOrder)
{
    for (Ide ide : {Ide::Delphi7, Ide::CBuilder6, Ide::Rad2010})
        Install(IdeFixture(ide));
    const TInstallData& d = Create();
    ASSERT_EQ(d.TargetOptions->Count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(&(*d.TargetOptions)[i].Target, &(*d.Targets)[i]);
}

TEST(TMetadataProvidersList, HoldsTheBuiltInProvidersFirstAndNamesThePackages)
{
    MemoryPlatform machine;
    testing::PreparePackageFolder(machine, {});
    TCmdOptions options({}, machine.files, machine.console);
    TInstallData data(machine.platform, options, [](const std::string&) {});
    const TMetadataProvidersList& providers = *data.Providers;
    ASSERT_EQ(providers.Count(), 35);
    for (int i = 0; i < providers.Count(); ++i)
        EXPECT_EQ(providers[i].BuiltIn, i < 4) << providers[i].Name;
    EXPECT_EQ(providers[0].RuntimePackageName(), "CorvalisADO");
    EXPECT_EQ(providers[0].DesignPackageName(), "CorvalisDsgnADO");
    EXPECT_EQ(providers[26].Caption, "ElevateDB(ANSI) Connectivity");
    EXPECT_EQ(providers[34].Description, "Corvalis Component ODBCExpress Connectivity");
    EXPECT_EQ(&providers[9].Owner, &data);
}

} // namespace
} // namespace corvalis
