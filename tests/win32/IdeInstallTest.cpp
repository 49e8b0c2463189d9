#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/InstallData.h"
#include "fixtures/RegistrySnapshot.h"
#include "fixtures/TestMachine.h"
#include "ide/Utils.h"

namespace corvalis {
namespace {

using ::testing::ElementsAreArray;
using testing::Ide;
using testing::IdeFixture;

// The product built into real fixture IDEs by the stand-in tools and taken out again.
class IdeInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        package_ =
            test.MakePackage("Corvalis Setup", {"2.0.1.0 Standard Edition With Sources", true, true}, "enginerun.exe");
        for (Ide ide : {Ide::Delphi7, Ide::CBuilder6, Ide::Rad2007})
            test.AddIde(IdeFixture(ide, test.Root() + "\\IDEs"));
    }
    int Run(const std::string& arguments) { return test.Run(package_ + "\\setup.exe", arguments, output_); }
    // The IDEs' own settings: their user keys and EnvOptions.proj files, byte for byte.
    std::vector<std::string> Settings()
    {
        std::vector<std::string> settings;
        for (const IdeFixture& fixture : test.Ides()) {
            for (const auto& [name, value] :
                 testing::SnapshotKey(machine.registry, RootKey::CurrentUser, fixture.UserKey()))
                settings.push_back(name + "=" + value);
            if (fixture.IsBds())
                settings.push_back(machine.files.ReadFile(fixture.EnvOptionsFile(machine.platform)).value_or(""));
        }
        return settings;
    }

    testing::TestMachine test{"ides"};
    Win32Platform& machine = test.machine;
    std::string package_;
    std::string output_;
};

TEST_F(IdeInstallTest, InstallingIntoDelphiCppBuilderAndRadStudioAndBackOutLeavesTheirSettingsAsTheyWere)
{
    const std::vector<std::string> before = Settings();
    const std::string installDir = test.Root() + "\\Corvalis";
    ASSERT_EQ(Run("install \"" + installDir + "\""), 0) << output_;
    ASSERT_EQ(Run("ides"), 0) << output_;

    const std::string system = machine.files.SystemDirectory();
    for (const std::string& built :
         {installDir + "\\Delphi7\\CorvalisDsgnD7.bpl", installDir + "\\CBuilder6\\CorvalisC6.bpl",
          installDir + "\\Delphi2007\\CorvalisD11.bpl", system + "\\CorvalisD7.bpl", system + "\\CorvalisC6.bpl",
          system + "\\CorvalisD11.bpl"})
        EXPECT_TRUE(machine.files.FileExists(built)) << built;
    const auto delphi7 = testing::SnapshotKey(machine.registry, RootKey::CurrentUser, test.Ides()[0].UserKey());
    EXPECT_THAT(delphi7.at("LIBRARY\\SEARCH PATH"), ::testing::HasSubstr(installDir + "\\Delphi7"));
    EXPECT_EQ(delphi7.at("KNOWN PACKAGES\\" + UpperCase(installDir) + "\\DELPHI7\\CORVALISDSGND7.BPL"),
              "s:Corvalis Component");
    const std::string envOptions = *machine.files.ReadFile(test.Ides()[2].EnvOptionsFile(machine.platform));
    EXPECT_THAT(envOptions, ::testing::HasSubstr(installDir + "\\Delphi2007</Win32LibraryPath>"));
    std::vector<FoundFile> headers;
    FindFiles(machine.files, test.Ides()[2].RootDir() + "\\Include\\Vcl", "*.hpp", false, nullptr, headers);
    EXPECT_FALSE(headers.empty());

    ASSERT_EQ(Run("remove-ides"), 0) << output_;
    EXPECT_THAT(Settings(), ElementsAreArray(before));
    headers.clear();
    FindFiles(machine.files, test.Ides()[2].RootDir() + "\\Include\\Vcl", "*.hpp", false, nullptr, headers);
    EXPECT_TRUE(headers.empty());
    EXPECT_TRUE(machine.files.FileExists(installDir + "\\Delphi7\\CorvalisDsgnD7.bpl"));
}

} // namespace
} // namespace corvalis
