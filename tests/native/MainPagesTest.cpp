#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "run/MainPages.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;

std::vector<int> On(const TPageFlags& flags)
{
    std::vector<int> on;
    for (size_t i = 0; i < flags.size(); ++i)
        if (flags[i])
            on.push_back(static_cast<int>(i));
    return on;
}

TEST(MainPages, EachModeTakesItsPagesAndTheMaintenanceChoiceActsOnlyOnASwitch)
{
    EXPECT_THAT(On(SetupPageFlags(imInstall, true)),
                ElementsAre(wInstallPage, wLicensePage, wDestinationPage, wFolder, wCompilationMode, wIDEPage,
                            wConfigPage, wCompile, wFinish));
    EXPECT_THAT(On(SetupPageFlags(imUpdate, false)),
                ElementsAre(wUpdatePage, wLicensePage, wIDEPage, wConfigPage, wUninstall, wCompile, wFinish));
    TPageFlags maintenance = SetupPageFlags(imMaintenance, true);
    EXPECT_THAT(On(maintenance),
                ElementsAre(wMainternance, wCompilationMode, wIDEPage, wConfigPage, wUninstall, wCompile, wFinish));
    TInstallMode mode = imMaintenance;
    std::optional<bool> chosen;
    EXPECT_TRUE(ApplyMaintenanceChoice(false, imMaintenance, true, chosen, mode, maintenance));
    EXPECT_EQ(mode, imUninstall);
    EXPECT_THAT(On(maintenance), ElementsAre(wMainternance, wUninstall, wCompile, wFinish));
    EXPECT_TRUE(ApplyMaintenanceChoice(true, imMaintenance, true, chosen, mode, maintenance));
    EXPECT_EQ(mode, imMaintenance);
    EXPECT_THAT(On(maintenance),
                ElementsAre(wMainternance, wCompilationMode, wIDEPage, wConfigPage, wCompile, wFinish));
    // The IDE rows leave nothing to install; the chosen button clicked again keeps that.
    maintenance[wConfigPage] = false;
    EXPECT_FALSE(ApplyMaintenanceChoice(true, imMaintenance, true, chosen, mode, maintenance));
    EXPECT_FALSE(maintenance[wConfigPage]);
    // An older version preset for removal by --uninstall: Add or Remove is the update itself.
    std::optional<bool> preset = false;
    ApplyMaintenanceChoice(true, imUpdate, false, preset, mode, maintenance);
    EXPECT_EQ(mode, imUpdate);
    EXPECT_THAT(On(maintenance),
                ElementsAre(wMainternance, wLicensePage, wIDEPage, wConfigPage, wUninstall, wCompile, wFinish));
}

} // namespace
} // namespace corvalis
