#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/Compile.h"
#include "fixtures/RegistrySnapshot.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/EnvOptions.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "native/InstallerMachine.h"
#include "unattended/Unattended.h"

// RAD Studio XE to 13: discovery over the whole version table, and the installation into
// each platform of these IDEs, which a removal leaves as it found them.

namespace corvalis {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;

struct VersionCase {
    const char* key;
    std::vector<std::string> personalities;
    const char* displayName; // nullptr: not found
    int versionNumber;
    const char* folderName;
};

// The names the users know, the numbers of the IDE's own packages and the folders that the
// product, the backups and --ides= use.
const VersionCase kVersions[] = {
    {"8.0", {"Delphi.Win32", "BCB"}, "Embarcadero RAD Studio XE (Pro)", 15, "DelphiXE"},
    {"9.0", {"Delphi.Win32"}, "Embarcadero Delphi XE2 (Pro)", 16, "DelphiXE2"},
    {"10.0", {"BCB"}, "Embarcadero C++Builder XE3 (Pro)", 17, "DelphiXE3"},
    {"11.0", {}, "Embarcadero RAD Studio XE4 (Pro)", 18, "DelphiXE4"},
    {"12.0", {}, "Embarcadero RAD Studio XE5 (Pro)", 19, "DelphiXE5"},
    {"13.0", {}, nullptr, 0, ""},
    {"14.0", {}, "Embarcadero RAD Studio XE6 (Pro)", 20, "DelphiXE6"},
    {"15.0", {}, "Embarcadero RAD Studio XE7 (Pro)", 21, "DelphiXE7"},
    {"16.0", {}, "Embarcadero RAD Studio XE8 (Pro)", 22, "DelphiXE8"},
    {"17.0", {}, "Embarcadero RAD Studio 10 Seattle (Pro)", 23, "Delphi10Seattle"},
    {"18.0", {}, "Embarcadero RAD Studio 10.1 Berlin (Pro)", 24, "Delphi10Berlin"},
    {"19.0", {}, "Embarcadero RAD Studio 10.2 Tokyo (Pro)", 25, "Delphi10Tokyo"},
    {"20.0", {}, "Embarcadero RAD Studio 10.3 Rio (Pro)", 26, "Delphi10Rio"},
    {"21.0", {}, "Embarcadero RAD Studio 10.4 Sydney (Pro)", 27, "Delphi10Sydney"},
    {"22.0", {"Delphi.Win32", "BCB"}, "Embarcadero RAD Studio 11 Alexandria (Pro)", 28, "Delphi11"},
    {"23.0", {"Delphi.Win32"}, "Embarcadero Delphi 12 Athens (Pro)", 29, "Delphi12"},
    {"37.0", {"BCB"}, "Embarcadero C++Builder 13 Florence (Pro)", 37, "Delphi13"},
};

class RadStudioTest : public ::testing::Test {
protected:
    // A bare installation: the machine key's folder and executable, the user key.
    void AddBareIde(const std::string& company, const std::string& key, const std::vector<std::string>& personalities,
                    int versionNumber = 0)
    {
        const std::string root = "C:\\RAD\\" + key;
        const std::string path = "SOFTWARE\\" + company + "\\BDS\\" + key;
        auto machine = registry.OpenKey(RootKey::LocalMachine, path, KeyAccess::WriteCreate);
        machine->WriteString("RootDir", root + "\\");
        machine->WriteString("App", root + "\\bin\\bds.exe");
        machine->WriteString("Edition", "Pro");
        auto user = registry.OpenKey(RootKey::CurrentUser, path + "\\Personalities", KeyAccess::WriteCreate);
        for (const std::string& personality : personalities)
            user->WriteString(personality, "");
        files.AddFile(root + "\\bin\\bds.exe", "MZ");
        files.AddFile(root + "\\bin\\dcc32.exe", "MZ");
        // Not a Personal edition: the database package is there.
        const std::string digits = std::to_string(versionNumber) + "0";
        files.AddFile(root + "\\bin\\dcldb" + digits + ".bpl", "MZ");
        registry.OpenKey(RootKey::CurrentUser, path + "\\Known Packages", KeyAccess::WriteCreate)
            ->WriteString("$(BDS)\\bin\\dcldb" + digits + ".bpl", "Database Components");
    }
    TTargetOptions* Find(TInstallData& data, const std::string& rootDir)
    {
        for (int i = 0; i < data.TargetOptions->Count(); ++i)
            if (SameText((*data.TargetOptions)[i].Target.RootDir, rootDir))
                return &(*data.TargetOptions)[i];
        return nullptr;
    }

    testing::InstallerMachine installer;
    MemoryRegistry& registry = installer.machine.registry;
    MemoryFiles& files = installer.machine.files;
};

TEST_F(RadStudioTest, EveryVersionOfTheTableIsFoundUnderItsOwnNameNumberAndFolder)
{
    for (const VersionCase& version : kVersions)
        AddBareIde("Embarcadero", version.key, version.personalities, version.versionNumber);
    // A later version is no other one, and later versions under the older companies' keys are not theirs.
    AddBareIde("Embarcadero", "38.0", {"Delphi.Win32"});
    AddBareIde("CodeGear", "9.0", {});
    TInstallData& data = installer.Start();
    for (const VersionCase& version : kVersions) {
        const TTargetOptions* ide = Find(data, std::string("C:\\RAD\\") + version.key);
        ASSERT_EQ(ide != nullptr, version.displayName != nullptr) << version.key;
        if (ide == nullptr)
            continue;
        EXPECT_EQ(ide->Target.DisplayName(), version.displayName);
        EXPECT_EQ(ide->Target.VersionNumber, version.versionNumber) << version.key;
        EXPECT_EQ(ProductFolderName(ide->Target), version.folderName);
        // Only C++Builder 5, 6 and 2007 build the C++Builder projects.
        EXPECT_THAT(ide->PackageSourceDir(), ::testing::EndsWith(std::string("\\Packages\\") + version.folderName));
        EXPECT_EQ(TCompiler::PackageFileName("Corvalis", ide->Target),
                  "CorvalisD" + std::to_string(version.versionNumber) + ".dpk");
        EXPECT_EQ(ide->Target.VersionedName("dcldb.bpl"), "dcldb" + std::to_string(version.versionNumber) + "0.bpl");
    }
    EXPECT_EQ(data.TargetOptions->Count(), 16);
    ASSERT_EQ(data.Targets->UnknownVersions().size(), 1u);
    EXPECT_EQ(data.Targets->UnknownVersions().front()->DisplayName(), "BDS 38.0 (Pro)");

    // The listing fits the longest name and shows the version it does not know.
    const std::vector<std::string> listing = IdeListing(data);
    EXPECT_THAT(listing, ::testing::Contains("Delphi10Seattle  not installed  Embarcadero RAD Studio 10 Seattle (Pro)"));
    EXPECT_EQ(listing.back(), "-                not offered    BDS 38.0 (Pro): a version this installer does not know; "
                              "a later Corvalis installer may support it.");
}

struct PlatformCase {
    IdeFixture ide;
    std::vector<std::string> outputs; // below the installation folder, by platform: Win32, then Win64
    bool registeredX64;               // the 64-bit IDE knows the Win64 design-time package
    std::vector<std::string> changed; // the subkeys of the user key the installation changes
};

// Each platform's lists take that platform's output folder, in the registry and in the
// platform's group of EnvOptions.proj; nothing else of the IDE changes, and the removal
// leaves the IDE's key and file as they were, byte for byte.
TEST_F(RadStudioTest, EachPlatformGetsItsOwnBuildAndPathsAndTheRemovalRestoresTheIdeExactly)
{
    const PlatformCase cases[] = {
        {IdeFixture(Ide::RadXE), {"DelphiXE"}, false, {"LIBRARY\\", "KNOWN PACKAGES\\", "C++\\PATHS\\"}},
        {IdeFixture(Ide::RadXE2),
         {"DelphiXE2\\Win32", "DelphiXE2\\Win64"},
         false,
         {"LIBRARY\\WIN32\\", "LIBRARY\\WIN64\\", "KNOWN PACKAGES\\"}},
        {IdeFixture(Ide::Rad11),
         {"Delphi11\\Win32", "Delphi11\\Win64"},
         false,
         {"LIBRARY\\WIN32\\", "LIBRARY\\WIN64\\", "KNOWN PACKAGES\\", "C++\\PATHS\\WIN32\\", "C++\\PATHS\\WIN64\\"}},
        {IdeFixture(Ide::Rad12),
         {"Delphi12\\Win32", "Delphi12\\Win64"},
         true,
         {"LIBRARY\\WIN32\\", "LIBRARY\\WIN64\\", "KNOWN PACKAGES\\", "KNOWN PACKAGES X64\\", "C++\\PATHS\\WIN32\\",
          "C++\\PATHS\\WIN64\\"}},
        {IdeFixture(Ide::Rad12).WithoutIde64(),
         {"Delphi12\\Win32", "Delphi12\\Win64"},
         false,
         {"LIBRARY\\WIN32\\", "LIBRARY\\WIN64\\", "KNOWN PACKAGES\\", "C++\\PATHS\\WIN32\\", "C++\\PATHS\\WIN64\\"}},
    };
    for (const PlatformCase& c : cases) {
        SCOPED_TRACE(c.outputs.back());
        // Without the other vendors' connectivity packages: the built-in ones are built.
        product::PackageContent package = testing::InstallerMachine::DefaultPackage();
        package.withConnectivity = false;
        testing::InstallerMachine machine(package);
        machine.Install(c.ide);
        const Platform& platform = machine.machine.platform;
        const auto settings = [&] {
            return std::make_pair(testing::SnapshotKey(platform.registry, RootKey::CurrentUser, c.ide.UserKey()),
                                  platform.files.ReadFile(c.ide.EnvOptionsFile(platform)).value_or("<missing>"));
        };
        const auto before = settings();
        TInstallData& data = machine.Start();
        TCompiler compiler(platform, data);
        std::vector<std::string> errors;
        compiler.Log().OnLog = [&](TLogBase&, TLogLevel level, const std::u16string& text, DateTime) {
            if (level >= llError)
                errors.push_back(platform.locale.WideToAnsi(text));
        };
        compiler.InstallFiles();
        TTargetOptions& options = (*data.TargetOptions)[0];
        options.Action = taInstall;
        compiler.InstallIntoIdes();
        EXPECT_THAT(errors, ::testing::IsEmpty());

        const auto installed = settings();
        for (const auto& [name, value] : installed.first)
            if (!before.first.count(name) || before.first.at(name) != value)
                EXPECT_TRUE(std::any_of(c.changed.begin(), c.changed.end(),
                                        [&](const std::string& subkey) { return name.starts_with(subkey); }))
                    << name;
        const std::vector<std::string> platforms = {"Win32", "Win64"};
        for (size_t i = 0; i < c.outputs.size(); ++i) {
            const std::string output = data.InstallDir + "\\" + c.outputs[i];
            const std::string library = c.outputs.size() == 1 ? "LIBRARY\\" : "LIBRARY\\" + UpperCase(platforms[i]) + "\\";
            EXPECT_THAT(installed.first.at(library + "SEARCH PATH"), ::testing::EndsWith(";" + output));
            EXPECT_THAT(machine.machine.files.ReadFile(output + "\\CorvalisD" + std::to_string(options.Target.VersionNumber) +
                                                ".bpl")
                            .value_or(""),
                        HasSubstr("compiled for " + platforms[i]));
            // The file's group of the platform, found by its condition.
            TEnvOptions envOptions(platform, c.ide.EnvOptionsFile(platform));
            const std::string condition = "'$(Platform)'=='" + platforms[i] + "'";
            EXPECT_THAT(envOptions.Value("DelphiLibraryPath", c.outputs.size() == 1 ? nullptr : condition.c_str())
                            .value_or(""),
                        ::testing::EndsWith(";" + output));
        }
        const std::string design = "CorvalisDsgnD" + std::to_string(options.Target.VersionNumber) + ".bpl";
        EXPECT_EQ(installed.first.count("KNOWN PACKAGES\\" + UpperCase(data.InstallDir + "\\" + c.outputs[0] + "\\" +
                                                                        design)),
                  1u);
        EXPECT_EQ(installed.first.count("KNOWN PACKAGES X64\\" +
                                        UpperCase(data.InstallDir + "\\" + c.outputs.back() + "\\" + design)),
                  c.registeredX64 ? 1u : 0u);
        // Only the Win32 package is copied where Windows finds it.
        EXPECT_THAT(machine.machine.files.ReadFile(machine.machine.files.SystemDirectory() + "\\CorvalisD" +
                                            std::to_string(options.Target.VersionNumber) + ".bpl")
                        .value_or(""),
                    HasSubstr("compiled for Win32"));

        // A reinstallation takes the product out and puts it back within one run.
        TInstallData& again = machine.Start();
        (*again.TargetOptions)[0].Action = taInstall;
        TCompiler(platform, again).InstallIntoIdes();
        EXPECT_EQ(settings(), installed);

        TInstallData& later = machine.Start();
        TCompiler removal(platform, later);
        removal.UninstallFromIde((*later.TargetOptions)[0]);
        EXPECT_EQ(settings(), before);
    }
}

} // namespace
} // namespace corvalis
