#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/Compile.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "native/InstallerMachine.h"
#include "unattended/Unattended.h"

// RAD Studio XE to 13: discovery over the whole version table.

namespace corvalis {
namespace {

struct VersionCase {
    const char* key;
    std::vector<std::string> personalities;
    const char* displayName;
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
    {"13.0", {}, "<not a RAD Studio: never found>", 0, ""},
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
    testing::InstallerMachine installer;
};

TEST_F(RadStudioTest, EveryVersionOfTheTableIsFoundUnderItsOwnNameNumberAndFolder)
{
    MemoryPlatform& machine = installer.machine;
    for (const VersionCase& version : kVersions)
        testing::AddBareBds(machine, "Embarcadero", version.key, version.personalities, version.versionNumber);
    // A later version is no other one, and later versions under the older companies' keys are not theirs.
    testing::AddBareBds(machine, "Embarcadero", "38.0", {"Delphi.Win32"}, 38);
    testing::AddBareBds(machine, "CodeGear", "9.0", {}, 16);
    TInstallData& data = installer.Start();
    ASSERT_EQ(data.TargetOptions->Count(), 16);
    for (int i = 0; i < data.TargetOptions->Count(); ++i) {
        const TTargetOptions& ide = (*data.TargetOptions)[i];
        const VersionCase& version = *std::find_if(std::begin(kVersions), std::end(kVersions), [&](const auto& v) {
            return "C:\\RAD\\" + std::string(v.key) == ide.Target.RootDir;
        });
        // "Pro", not "Personal": the IDE's database package has the version's number.
        EXPECT_EQ(ide.Target.DisplayName(), version.displayName);
        EXPECT_EQ(ide.Target.VersionNumber, version.versionNumber) << version.key;
        EXPECT_EQ(ProductFolderName(ide.Target), version.folderName);
        // Only C++Builder 5, 6 and 2007 build the C++Builder projects.
        EXPECT_THAT(ide.PackageSourceDir(), ::testing::EndsWith(std::string("\\Packages\\") + version.folderName));
    }
    ASSERT_EQ(data.Targets->UnknownVersions().size(), 1u);
    EXPECT_EQ(data.Targets->UnknownVersions().front()->DisplayName(), "BDS 38.0 (Pro)");

    // The listing fits the longest name and shows the version it does not know.
    const std::vector<std::string> listing = IdeListing(data);
    EXPECT_THAT(listing,
                ::testing::Contains("Delphi10Seattle  not installed  Embarcadero RAD Studio 10 Seattle (Pro)"));
    EXPECT_EQ(listing.back(), "-                not offered    BDS 38.0 (Pro): a version this installer does not know; "
                              "a later Corvalis installer may support it.");
}

} // namespace
} // namespace corvalis
