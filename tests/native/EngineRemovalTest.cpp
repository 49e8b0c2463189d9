#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/Compile.h"
#include "fixtures/RegistrySnapshot.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "native/InstallerMachine.h"

namespace corvalis {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using testing::Ide;
using testing::IdeFixture;
using ::testing::IsEmpty;

class EngineRemovalTest : public ::testing::Test {
protected:
    void Prepare(const std::vector<IdeFixture>& fixtures)
    {
        for (const IdeFixture& fixture : fixtures) {
            installer.Install(fixture);
            userKeys.push_back(fixture.UserKey());
            if (fixture.IsBds() && fixture.KeyVersion() >= 5)
                envOptions.push_back(fixture.EnvOptionsFile(installer.machine.platform));
        }
        installer.machine.processes.SetEnv("PATH", "C:\\Tools;" + installer.machine.files.SystemDirectory());
        data = &installer.Start();
        compiler = std::make_unique<TCompiler>(installer.machine.platform, *data);
        compiler->InstallFiles();
        compiler->Log().OnLog = [this](TLogBase&, TLogLevel level, const std::u16string& text, DateTime) {
            if (level == llDebug)
                debug.push_back(installer.machine.locale.WideToAnsi(text));
        };
    }
    // The IDEs' own settings: their user keys and EnvOptions.proj files.
    std::vector<std::string> Settings()
    {
        std::vector<std::string> settings;
        for (const std::string& key : userKeys)
            for (const auto& [name, value] :
                 testing::SnapshotKey(installer.machine.registry, RootKey::CurrentUser, key))
                settings.push_back(key + "\\" + name + "=" + value);
        for (const std::string& file : envOptions)
            settings.push_back(*installer.machine.files.ReadFile(file));
        return settings;
    }
    TTargetOptions& Options(int index) { return (*data->TargetOptions)[index]; }

    testing::InstallerMachine installer;
    std::vector<std::string> userKeys;
    std::vector<std::string> envOptions;
    TInstallData* data = nullptr;
    std::unique_ptr<TCompiler> compiler;
    std::vector<std::string> debug;
};

TEST_F(EngineRemovalTest, InstallingAndUninstallingLeavesEveryIdesSettingsAsTheyWere)
{
    Prepare({IdeFixture(Ide::Delphi7), IdeFixture(Ide::CBuilder6), IdeFixture(Ide::Rad2007)});
    const std::vector<std::string> before = Settings();
    for (int i = 0; i < data->TargetOptions->Count(); ++i)
        Options(i).Action = taInstall;
    compiler->InstallIntoIdes();
    ASSERT_TRUE(Options(0).Installed && Options(1).Installed && Options(2).Installed);
    EXPECT_NE(Settings(), before);

    compiler->UninstallFromIdes();
    EXPECT_THAT(Settings(), ::testing::ElementsAreArray(before));
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(Options(i).Installed);
        EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, Options(i).TargetKey()));
    }
    // The runtime packages in the system folder, found on PATH, went to the recycle bin.
    for (const char* bpl : {"CorvalisD7.bpl", "CorvalisC6.bpl", "CorvalisD11.bpl"})
        EXPECT_THAT(installer.machine.files.Recycled(),
                    Contains(installer.machine.files.SystemDirectory() + "\\" + bpl));
    // The product's own output stays with its files until they are removed.
    EXPECT_TRUE(installer.machine.files.FileExists(data->InstallDir + "\\Delphi7\\CorvalisD7.bpl"));
}

TEST_F(EngineRemovalTest, OnlyIdesWithTheProductInstalledAreVisited)
{
    Prepare({IdeFixture(Ide::Delphi7), IdeFixture(Ide::Delphi6)});
    Options(1).Installed = true;
    Options(0).Action = taRemove;
    compiler->UninstallFromIdes();
    std::vector<std::string> info;
    for (const TLogMessage& message : static_cast<TLogToList&>(compiler->Log()).Messages)
        if (message.Level == llInfo)
            info.push_back(installer.machine.locale.WideToAnsi(message.Text));
    EXPECT_THAT(info, Contains("Uninstall from IDE:Delphi 7.0 (Enterprise)"));
    EXPECT_THAT(info, ::testing::Not(Contains("Uninstall from IDE:Delphi 6.0 (Enterprise)")));
}

TEST_F(EngineRemovalTest, APackageLeavesEachListOnceAndIsNamedAsRegistered)
{
    Prepare({IdeFixture(Ide::Delphi7)
                 .WithDisabledPackage("C:\\Old\\CorvalisDsgnD7.bpl", "old")
                 .WithKnownPackage("C:\\A\\CorvalisDsgnD7.bpl")
                 .WithKnownPackage("C:\\B\\CORVALISDSGND7.BPL")});
    TTargetOptions& delphi7 = Options(0);
    compiler->UninstallPackage(delphi7, "CorvalisDsgn");
    EXPECT_THAT(debug, Contains("  removing from Disabled Packages: C:\\Old\\CorvalisDsgnD7.bpl"));
    EXPECT_THAT(debug, Contains("  removing from Known Packages: C:\\A\\CorvalisDsgnD7.bpl"));
    EXPECT_EQ(delphi7.Target.DisabledPackages.Count(), 0);
    ASSERT_NE(delphi7.Target.FindPackage("CorvalisDsgnD7.bpl"), nullptr);
    EXPECT_EQ(delphi7.Target.FindPackage("CorvalisDsgnD7.bpl")->FileName, "C:\\B\\CORVALISDSGND7.BPL");
}

TEST_F(EngineRemovalTest, PathFoldersAreSearchedQuotedEmptyOrAsWritten)
{
    Prepare({IdeFixture(Ide::Delphi7)});
    MemoryFiles& files = installer.machine.files;
    for (const char* file : {"C:\\Quoted Tools\\X.bpl", "C:\\X.bpl", "C:\\Plain\\X.bpl"})
        files.AddFile(file);
    installer.machine.processes.SetEnv("PATH", "\"C:\\Quoted Tools\";C:\\Plain;;\"\"");
    compiler->RemoveFromPathFolders("X.bpl");
    EXPECT_THAT(files.Recycled(), ElementsAre("C:\\Quoted Tools\\X.bpl", "C:\\Plain\\X.bpl", "C:\\X.bpl"));
    EXPECT_THAT(debug, Contains("  remove file: \\X.bpl"));
}

TEST_F(EngineRemovalTest, TheIdesOutputFoldersLoseThePackagesBuildProducts)
{
    Prepare({IdeFixture(Ide::Delphi7)});
    TTargetOptions& delphi7 = Options(0);
    MemoryFiles& files = installer.machine.files;
    const std::string bpl = delphi7.Target.BplDir();
    for (const std::string& file : {bpl + "\\CorvalisD7.bpl", bpl + "\\CorvalisD7.dcp", bpl + "\\CorvalisD7.bpi",
                                    bpl + "\\CorvalisD7.lib", data->PackagesDir() + "\\CorvalisD7.mak"})
        files.AddFile(file);
    compiler->UninstallPackage(delphi7, "Corvalis");
    for (const std::string& file : {bpl + "\\CorvalisD7.bpl", bpl + "\\CorvalisD7.dcp", bpl + "\\CorvalisD7.bpi",
                                    bpl + "\\CorvalisD7.lib", data->PackagesDir() + "\\CorvalisD7.mak"}) {
        EXPECT_FALSE(files.FileExists(file)) << file;
        EXPECT_THAT(debug, Contains("  remove file: " + file));
    }
    // Deleted outright: only what PATH and the package search path name goes to the recycle bin.
    EXPECT_THAT(files.Recycled(), IsEmpty());
}

} // namespace
} // namespace corvalis
