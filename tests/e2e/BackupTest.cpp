#include <gmock/gmock.h>

#include "E2eTest.h"
#include "core/IdeBackup.h"
#include "core/RegistryExport.h"
#include "ide/Utils.h"

namespace corvalis::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;

// The IDE settings saved before an installation changes them, and put back by --restore.
class BackupTest : public E2eTest {
protected:
    // The IDE's user key as its export file, and its EnvOptions.proj: byte for byte.
    std::pair<std::string, std::optional<std::string>> Settings(const IdeFixture& ide)
    {
        return {FormatRegFile(ExportKey(machine.registry, RootKey::CurrentUser, ide.UserKey())),
                ide.IsBds() ? machine.files.ReadFile(ide.EnvOptionsFile(machine.platform)) : std::nullopt};
    }
    int Setup(const std::string& installer, const std::string& arguments, std::string& output)
    {
        return test.Run(installer, arguments, output);
    }
};

TEST_F(BackupTest, RestoreAfterAnInstallationLeavesEveryIdeAsBefore)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& rad2007 = AddIde(Ide::Rad2007);
    const auto before = std::make_pair(Settings(delphi7), Settings(rad2007));
    ASSERT_TRUE(before.second.second.has_value());
    {
        TWizardSession wizard(MakePackage("Corvalis Setup"));
        InstallThroughWizard(wizard);
        wizard.Finish();
    }
    ASSERT_NE(Settings(delphi7), before.first);
    ASSERT_NE(Settings(rad2007), before.second);

    const std::string backups = BackupFolder(machine.platform);
    const std::vector<std::string> runs = test.Names(backups);
    ASSERT_FALSE(runs.empty());
    const std::string run = backups + "\\" + runs.back();
    EXPECT_THAT(test.Names(run), ElementsAre("Delphi2007", "Delphi7"));
    EXPECT_EQ(machine.files.ReadFile(run + "\\Delphi7\\Registry.reg"), before.first.first);
    EXPECT_EQ(machine.files.ReadFile(run + "\\Delphi2007\\EnvOptions.proj"), before.second.second);
    EXPECT_THAT(*SetupLog(),
                ::testing::Contains(HasSubstr("The IDE settings are saved before they change, in " + run)));

    std::string output;
    EXPECT_EQ(Setup(InstallDir() + "\\Uninstall\\setup.exe", "--restore", output), 0) << output;
    EXPECT_THAT(output, HasSubstr(", Info]Restored the settings of " + DisplayName(rad2007)));
    EXPECT_EQ(Settings(delphi7), before.first);
    EXPECT_EQ(Settings(rad2007), before.second);
}

TEST_F(BackupTest, RestoreWithoutABackupIsRefusedWithCodeThree)
{
    AddIde(Ide::Delphi7);
    machine.files.DeleteTree(BackupFolder(machine.platform));
    std::string output;
    EXPECT_EQ(Setup(MakePackage("Corvalis Setup"), "--restore", output), 3);
    EXPECT_EQ(output, "No backup of IDE settings in " + BackupFolder(machine.platform) + ".\n");
}

} // namespace
} // namespace corvalis::e2e
