#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/InstallData.h"
#include "fixtures/MemoryFixture.h"
#include "fixtures/RegistrySnapshot.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "platform/Exceptions.h"
#include "run/TargetRows.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;
using ::testing::ThrowsMessage;

class InstallDataTest : public ::testing::Test {
protected:
    InstallDataTest() { testing::PreparePackageFolder(machine, {}); }

    // The installation data on this machine, the IDEs of earlier calls forgotten.
    TInstallData& Create(const std::vector<IdeFixture>& ides = {})
    {
        for (RootKey root : {RootKey::LocalMachine, RootKey::CurrentUser})
            for (const char* vendor : {"SOFTWARE\\Borland", "SOFTWARE\\CodeGear"})
                machine.registry.DeleteKey(root, vendor);
        testing::MemoryFixtureFiles files(machine);
        for (const IdeFixture& ide : ides)
            ide.Install(machine.platform, files);
        options = std::make_unique<TCmdOptions>(std::vector<std::string>{}, machine.files, machine.console);
        data = std::make_unique<TInstallData>(machine.platform, *options, [](const std::string&) {});
        return *data;
    }
    TTargetOptions& OptionsOf(const IdeFixture& ide, const testing::PackageFolder& package = {})
    {
        testing::PreparePackageFolder(machine, package);
        EXPECT_EQ(Create({ide}).TargetOptions->Count(), 1);
        return (*data->TargetOptions)[0];
    }
    // The product's key, with an earlier run's record when given one.
    std::unique_ptr<IRegistryKey> Key(const std::string& subkey = {}, const std::string& installDir = {},
                                      const std::string& version = {})
    {
        if (!version.empty()) {
            Key()->WriteString("InstallDir", installDir);
            Key()->WriteString("InstalledVersion", version);
        }
        return machine.registry.OpenKey(RootKey::LocalMachine, std::string(ProductKey) + subkey,
                                        KeyAccess::WriteCreate);
    }
    const TMetadataProvider& Provider(const std::string& name)
    {
        for (const auto& provider : *data->Providers)
            if (provider->Name == name)
                return *provider;
        throw std::logic_error("no provider " + name);
    }
    // The IDEs a walk of the IDE page's Next warns about; meanwhile happens while the first warning is open.
    std::vector<std::string> Warned(
        void (*walk)(const TTargetOptionsList&, const TIdeWarning&), const std::function<void()>& meanwhile = [] {})
    {
        std::vector<std::string> names;
        walk(*data->TargetOptions, [&](TTargetOptions& o) {
            names.push_back(o.Target.DisplayName());
            if (names.size() == 1)
                meanwhile();
        });
        return names;
    }
    static std::vector<std::string> Names(const std::vector<const TMetadataProvider*>& providers)
    {
        std::vector<std::string> names;
        for (const TMetadataProvider* provider : providers)
            names.push_back(provider->Name);
        return names;
    }

    MemoryPlatform machine;
    std::unique_ptr<TCmdOptions> options;
    std::unique_ptr<TInstallData> data;
};

const IdeFixture kDelphi7WithZeos = IdeFixture(Ide::Delphi7)
                                        .WithKnownPackage("C:\\Zeos\\zcomponentdesign70.bpl", "Zeos")
                                        .WithKnownPackage("C:\\Doa\\doa70.bpl", "Direct Oracle Access");

TEST_F(InstallDataTest, AFreshMachineGivesAFreshInstallationWithTheDefaults)
{
    const std::string programs = *machine.shell.FolderPath(SpecialFolder::Programs);
    machine.files.ForceDirectories(programs + "\\Accessories");
    machine.files.ForceDirectories(programs + "\\Hidden");
    machine.files.SetHidden(programs + "\\Hidden", true);
    machine.files.AddFile(programs + "\\Notepad.lnk");
    const TInstallData& d = Create();
    EXPECT_TRUE(d.Mode == imInstall && !d.ProductInstalled && !d.InstalledVersion);
    EXPECT_EQ(d.PackageVersion->DisplayText(), "2.0.1.0 Standard Edition With Sources");
    EXPECT_EQ(d.InstallDir, "C:\\Program Files\\Halvorn\\Corvalis");
    EXPECT_EQ(d.StartMenuFolder(), programs + "\\Halvorn\\Corvalis VCL Edition");
    EXPECT_THAT(d.StartMenuGroups, ElementsAre("Accessories"));
    EXPECT_TRUE(d.VisitWeb && d.WithSources && d.HasConnectivity);
}

TEST_F(InstallDataTest, TheRecordedVersionDecidesTheMode)
{
    const std::tuple<std::string, std::string, TInstallMode> cases[] = {
        {"C:\\Corvalis", "2.0.1.0 Standard Edition With Sources", imMaintenance},
        {"C:\\Corvalis", "2.0.1.0 Professional Edition with sources", imMaintenance},
        {"C:\\Corvalis", "2.0.1.0 Standard Edition", imUpdate},
        {"C:\\Corvalis", "2.0.1 Standard Edition With Sources", imUpdate},
        {"C:\\Corvalis", "1.9.0.0 Standard Edition With Sources", imUpdate},
        {"", "1.0.0.0", imInstall}};
    for (const auto& [dir, recorded, mode] : cases) {
        Key("", dir, recorded);
        EXPECT_EQ(Create().Mode, mode) << recorded;
        EXPECT_EQ(data->ProductInstalled, !dir.empty());
        EXPECT_EQ(data->InstalledVersion != nullptr, !dir.empty());
        EXPECT_EQ(data->InstallDir, dir.empty() ? "C:\\Program Files\\Halvorn\\Corvalis" : dir);
    }
}

TEST_F(InstallDataTest, StoredChoicesAreReadTheModeNeedsSourcesAndABlankVersionFails)
{
    Key("", "C:\\Corvalis", "2.0.1.0")->WriteInteger("CompilationMode", cmTMS);
    Key()->WriteInteger("Visit Web", 0);
    EXPECT_EQ(Create().CompilationMode, cmTMS);
    EXPECT_FALSE(data->VisitWeb);
    testing::PreparePackageFolder(machine, {.withSources = false});
    EXPECT_EQ(Create().CompilationMode, cmStandard);
    machine.files.WriteFile("version", " \r\n");
    EXPECT_THAT([&] { Create(); }, ThrowsMessage<Exception>("Bad version string"));
}

TEST_F(InstallDataTest, SavingWritesTheStateTypedAndTheRunRecordUntilTheRunEndsUnlessNotAllowed)
{
    TInstallData& d = Create();
    d.ProductInstalled = true;
    d.StartFolder = "Tools\\Corvalis";
    d.CompilationMode = cmDevExpress;
    machine.registry.SetLocked(RootKey::LocalMachine, "");
    d.SaveToRegistry();
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, ProductKey)) << "without administrator rights";
    machine.registry.SetLocked(RootKey::LocalMachine, "", MemoryRegistry::Lock::None);
    d.SaveToRegistry();
    EXPECT_EQ(testing::SnapshotKey(machine.registry, RootKey::LocalMachine, ProductKey),
              (testing::RegistrySnapshot{{"INSTALLDIR", "s:C:\\Program Files\\Halvorn\\Corvalis"},
                                         {"STARTFOLDER", "s:Tools\\Corvalis"},
                                         {"INSTALLEDVERSION", "s:2.0.1.0 Standard Edition With Sources"},
                                         {"COMPILATIONMODE", "i:3"},
                                         {"VISIT WEB", "i:1"}}));
    Key("\\Delphi 7.0 (Enterprise)")->WriteInteger("Installed", 1);
    d.Mode = imUninstall;
    d.RecordRunStart();
    d.RecordFilesRemoved();
    testing::RegistrySnapshot record = testing::SnapshotKey(machine.registry, RootKey::LocalMachine, ProductKey);
    EXPECT_EQ(record["RUN"] + record["RUN VERSION"], "s:Uninstalls:2.0.1.0 Standard Edition With Sources");
    EXPECT_EQ(record.count("INSTALLEDVERSION"), 0u);
    d.ProductInstalled = false;
    d.RecordRunEnd();
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
}

TEST_F(InstallDataTest, AnIdesOptionsStartFromThePackageOrFromWhatAnEarlierRunStoredAndTakeEachProviderOnce)
{
    TTargetOptions& fresh = OptionsOf(kDelphi7WithZeos);
    EXPECT_TRUE(!fresh.Installed && fresh.IdeRegistration && fresh.AddSourceLocation && fresh.CompilePackages &&
                fresh.InstalledProviders.empty());
    EXPECT_THAT(Names(fresh.SelectedProviders), ElementsAre("ADO", "BDE", "IBEx", "DbEx", "Zeos", "DOA"));
    EXPECT_EQ(fresh.TargetKey(), "Software\\Halvorn\\Corvalis\\Delphi 7.0 (Enterprise)");
    // A change under way records the packages chosen, not those built so far.
    fresh.BeginChange(taInstall);
    EXPECT_THAT(Names(OptionsOf(kDelphi7WithZeos).SelectedProviders),
                ElementsAre("ADO", "BDE", "IBEx", "DbEx", "Zeos", "DOA"));
    machine.registry.DeleteKey(RootKey::LocalMachine, "Software\\Halvorn\\Corvalis\\Delphi 7.0 (Enterprise)");
    const TTargetOptions& bare = OptionsOf(kDelphi7WithZeos, {.withSources = false, .connectivity = false});
    EXPECT_FALSE(bare.AddSourceLocation || bare.CompilePackages);
    EXPECT_THAT(Names(bare.SelectedProviders), ElementsAre("ADO", "BDE", "IBEx", "DbEx"));
    auto stored = Key("\\Delphi 7.0 (Enterprise)", "C:\\Corvalis", "2.0.1.0 Standard Edition With Sources");
    stored->WriteInteger("Installed", 1);
    EXPECT_THAT([&] { OptionsOf(kDelphi7WithZeos); },
                ThrowsMessage<ERegistryException>("Failed to get data for 'IDE Registration'"));
    for (const char* name : {"IDE Registration", "Add Source Location", "Compile Packages", "ZEOS Connectivity"})
        stored->WriteInteger(name, 0);
    stored->WriteInteger("FIBPlus Connectivity", 1);
    const TTargetOptions& o = OptionsOf(kDelphi7WithZeos);
    EXPECT_TRUE(o.Installed && !o.IdeRegistration && !o.AddSourceLocation);
    EXPECT_TRUE(o.CompilePackages) << "never read: the package's default stays";
    // Zeos is stored as not wanted, DOA has no value, FIBPlus is missing in the IDE.
    EXPECT_THAT(Names(o.SelectedProviders), ElementsAre("ADO", "BDE", "IBEx", "DbEx", "DOA"));
    EXPECT_THAT(Names(o.InstalledProviders), ElementsAre("ADO", "BDE", "IBEx", "DbEx"));
    EXPECT_FALSE(OptionsOf(IdeFixture(Ide::Delphi7).WithEdition("Professional")).Installed) << "another edition";
    // Each provider is chosen once.
    TTargetOptions& chosen = OptionsOf(IdeFixture(Ide::Delphi7), {.connectivity = false});
    chosen.AddSelectedProvider(Provider("ADO"));
    chosen.AddSelectedProvider(Provider("Zeos"));
    chosen.RemoveSelectedProvider(Provider("BDE"));
    chosen.RemoveSelectedProvider(Provider("FIBPlus"));
    EXPECT_THAT(Names(chosen.SelectedProviders), ElementsAre("ADO", "IBEx", "DbEx", "Zeos"));
    EXPECT_TRUE(chosen.IsProviderSelected(Provider("Zeos")) && !chosen.IsProviderInstalled(Provider("Zeos")));
}

TEST_F(InstallDataTest, AnIdesOptionsAreSavedTypedAndRemovedWithItsKey)
{
    TTargetOptions& o = OptionsOf(kDelphi7WithZeos);
    o.Installed = true;
    o.AddInstalledProvider(Provider("Zeos"));
    o.AddInstalledProvider(Provider("ADO"));
    o.Save();
    const auto saved = testing::SnapshotKey(machine.registry, RootKey::LocalMachine, o.TargetKey());
    std::string values;
    for (const char* name : {"INSTALLED", "BPLDIR", "DCPDIR", "IDE REGISTRATION", "ZEOS CONNECTIVITY",
                             "DOA CONNECTIVITY", "ADD SOURCE LOCATION", "COMPILE PACKAGES", "ADO CONNECTIVITY"})
        values += (saved.count(name) ? saved.at(name) : "-") + " ";
    EXPECT_EQ(saved.size(), 6u + 31u) << "every other provider has its value";
    const std::string bpl = "s:C:\\Program Files\\Halvorn\\Corvalis\\Delphi7 ";
    EXPECT_EQ(values, "i:1 " + bpl + bpl + "i:1 i:1 i:0 i:1 i:1 - ") << "built-in providers have no value";
    o.Installed = false;
    o.Save();
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, o.TargetKey()));
}

TEST_F(InstallDataTest, OutputFoldersFollowTheIdeAndTheCompilationMode)
{
    const std::tuple<Ide, TCompilationMode, std::string> cases[] = {
        {Ide::Delphi7, cmStandard, "Delphi7|Delphi7|Packages\\Delphi7"},
        {Ide::CBuilder6, cmTnt, "CBuilder6|CBuilder6\\obj|Packages_Tnt\\CBuilder6"},
        {Ide::Rad2007, cmTMS, "Delphi2007|Delphi2007|Packages_TMS\\Delphi2007"},
        {Ide::CBuilder2007, cmDevExpress, "CBuilder2007|CBuilder2007\\obj|Packages_DevExpress\\CBuilder2007"},
        {Ide::Delphi2005, cmStandard, "Delphi2005|Delphi2005|Packages\\Delphi2005"},
    };
    const size_t root = std::string("C:\\Program Files\\Halvorn\\Corvalis\\").size();
    for (const auto& [ide, mode, expected] : cases) {
        TTargetOptions& o = OptionsOf(IdeFixture(ide));
        data->CompilationMode = mode;
        EXPECT_EQ(o.OutputDir().substr(root) + "|" + o.UnitOutputDir().substr(root) + "|" +
                      o.PackageSourceDir().substr(root),
                  expected);
    }
}

TEST_F(InstallDataTest, RowsStartAsTheModeSaysAndClicksCycleTheirActions)
{
    TTargetOptions& o = OptionsOf(IdeFixture(Ide::Delphi7));
    // The row's text and Action (install, leave unchanged, remove) as set up, then after each of three clicks.
    const std::tuple<TInstallMode, bool, std::string> cases[] = {
        {imInstall, false, "Install i, Don't install l, Install i, Don't install l"},
        {imInstall, true, "Install i, Don't install r, Install i, Don't install r"},
        {imUpdate, true, "Update i, Uninstall r, Update i, Uninstall r"},
        {imUpdate, false, "Do nothing l, Install i, Do nothing l, Install i"},
        {imMaintenance, true, "Do nothing l, Reinstall i, Uninstall r, Do nothing l"},
        {imMaintenance, false, "Do nothing l, Install i, Do nothing l, Install i"},
    };
    for (const auto& [mode, installed, expected] : cases) {
        o.Installed = installed;
        o.Action = taLeaveUnchanged;
        TTargetRow row = SetUpTargetRow(o, mode).value();
        std::string seen = ActionText(mode, o, row).substr(8) + " " + "ilr"[o.Action];
        for (int click = 0; click < 3; ++click) {
            row.check = NextCheck(row);
            o.Action = ActionOfRow(row.check, installed);
            seen += ", " + ActionText(mode, o, row).substr(8) + " " + "ilr"[o.Action];
        }
        EXPECT_EQ(seen, expected) << mode << installed;
    }
    o.Target.VersionNumber = 4;
    EXPECT_EQ(SetUpTargetRow(o, imInstall), std::nullopt);
    EXPECT_EQ(o.Action, taLeaveUnchanged);
}

TEST_F(InstallDataTest, TheFirstFailingCheckNamesTheProblem)
{
    TTargetOptionsList& list = *Create({IdeFixture(Ide::Delphi7).WithoutDatabasePackage().WithoutCompiler(),
                                        IdeFixture(Ide::Delphi6).WithoutCompiler(), IdeFixture(Ide::Delphi5),
                                        IdeFixture(Ide::Rad2010).WithEdition("Turbo").WithoutCompiler(),
                                        IdeFixture(Ide::Rad2007).WithOldCoreIdePackage()})
                                    .TargetOptions;
    // The texts in full are pinned where the IDE page shows them.
    const auto problems = [&] {
        std::vector<std::string> texts;
        for (int i = 0; i < list.Count(); ++i)
            texts.push_back(TargetProblem(list[i]).value_or("none").substr(0, 40));
        return texts;
    };
    data->WithSources = false;
    // Discovery order: Delphi 5, 6, 7, then RAD Studio 2007 and 2010.
    EXPECT_THAT(problems(),
                ElementsAre("none", "This IDE version has no dcc32.exe compil",
                            "This IDE version has no support of datab", "You have to update your D2007 IDE versio",
                            "The \"Turbo\" IDE edition has no command-l"));
    data->WithSources = true;
    data->CompilationMode = cmTnt;
    EXPECT_THAT(problems(),
                ElementsAre("You have selected compilation using TnT ", "This IDE version has no dcc32.exe compil",
                            "This IDE version has no support of datab", "You have selected compilation using TnT ",
                            "The \"Turbo\" IDE edition has no command-l"));
    data->CompilationMode = cmTMS;
    EXPECT_THAT(TargetProblem(list[0]).value_or(""), HasSubstr("TMS Unicode controls installed."));
    data->CompilationMode = cmDevExpress;
    EXPECT_THAT(TargetProblem(list[0]).value_or(""),
                HasSubstr("(ExpressEditors, ExpressPageControl, ExpressTreeList)."));
}

TEST_F(InstallDataTest, TheIdePageAndItsWarningsFollowTheActions)
{
    TTargetOptionsList& list =
        *Create({IdeFixture(Ide::Delphi7), IdeFixture(Ide::Rad2009).WithEdition("Turbo Delphi").WithoutCompiler(),
                 IdeFixture(Ide::Rad2010)})
             .TargetOptions;
    data->Mode = imUpdate;
    EXPECT_TRUE(IdePageNextEnabled(imInstall, list) && IdePageNextEnabled(imUpdate, list)) << "an update has work";
    data->Mode = imMaintenance;
    EXPECT_FALSE(IdePageNextEnabled(imMaintenance, list));
    list[0].Action = taRemove;
    EXPECT_TRUE(IdePageNextEnabled(imMaintenance, list));
    EXPECT_FALSE(ConfigPageEnabled(list));
    list[0].Action = taLeaveUnchanged;
    list[1].Action = taInstall;
    list[2].Action = taInstall;
    EXPECT_TRUE(ConfigPageEnabled(list));
    EXPECT_THAT(Warned(ForEachIdeLackingACompiler), ElementsAre("CodeGear RAD Studio 2009 (Turbo Delphi)"));
    std::vector<std::string> configured;
    for (const TTargetOptions* o : IdesToConfigure(list))
        configured.push_back(o->Target.DisplayName());
    EXPECT_THAT(configured,
                ElementsAre("Embarcadero RAD Studio 2010 (Architect)", "CodeGear RAD Studio 2009 (Turbo Delphi)"));
    machine.processes.AddRunningProcess("bds.exe", {list[2].Target.AppFile});
    machine.processes.AddRunningProcess("delphi32.exe", {list[0].Target.AppFile});
    EXPECT_THAT(Warned(ForEachRunningIde), ElementsAre("Embarcadero RAD Studio 2010 (Architect)"));
}

TEST_F(InstallDataTest, EachWarningTestsItsIdeOnlyWhenTheWalkReachesIt)
{
    TTargetOptionsList& list = *Create({IdeFixture(Ide::Rad2009).WithEdition("Turbo Delphi").WithoutCompiler(),
                                        IdeFixture(Ide::Rad2010).WithEdition("Turbo Delphi").WithoutCompiler()})
                                    .TargetOptions;
    for (int i = 0; i < list.Count(); ++i) {
        list[i].Action = taInstall;
        machine.processes.AddRunningProcess("bds.exe", {list[i].Target.AppFile});
    }
    const auto placeTheLaterCompiler = [&] { machine.files.AddFile(list[1].Target.Dcc32File()); };
    EXPECT_THAT(Warned(ForEachIdeLackingACompiler, placeTheLaterCompiler),
                ElementsAre("CodeGear RAD Studio 2009 (Turbo Delphi)"));
    EXPECT_THAT(Warned(ForEachRunningIde), ::testing::SizeIs(2));
    // Both IDEs closed while the first box is open: the second is no longer seen.
    const auto closeTheIdes = [&] { machine.processes.FailSnapshots(true); };
    EXPECT_THAT(Warned(ForEachRunningIde, closeTheIdes), ::testing::SizeIs(1));
}

} // namespace
} // namespace corvalis
