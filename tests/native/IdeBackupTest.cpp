#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/IdeBackup.h"
#include "core/InstallationRun.h"
#include "core/RegistryExport.h"
#include "core/SetupLog.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "native/InstallerMachine.h"

namespace corvalis {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr const char* kBackups = "C:\\users\\user\\AppData\\Local\\Halvorn\\Corvalis\\Backup";
const DateTime kFirstRun = EncodeDateTime({2026, 3, 1, 9, 15, 0, 0});
const DateTime kSecondRun = EncodeDateTime({2026, 3, 2, 17, 5, 9, 0});

// The compile page's side of a run: its log.
class LoggingView : public IInstallationRunView {
public:
    explicit LoggingView(TProgressLog& log) : log_(log) {}
    void LogMessage(TLogBase&, TLogLevel level, const std::u16string& text, DateTime time) override
    {
        log_.Add(level, text, time);
    }
    void ShowSetupLog(const std::optional<std::string>&) override {}
    void RunSucceeded() override {}

private:
    TProgressLog& log_;
};

class IdeBackupTest : public ::testing::Test {
protected:
    const IdeFixture& Add(Ide ide)
    {
        ides.emplace_back(ide);
        installer.Install(ides.back());
        return ides.back();
    }

    // One run of the compile page at the time given; the actions by IDE in discovery order
    // (Delphi, C++Builder, BDS; each by version), in which the tests add them.
    void Run(DateTime time, const std::vector<TTargetAction>& actions, std::optional<TInstallMode> mode = {})
    {
        installer.machine.locale.SetNow(time);
        TInstallData& data = installer.Start();
        if (mode)
            data.Mode = *mode;
        for (size_t i = 0; i < actions.size(); ++i)
            (*data.TargetOptions)[static_cast<int>(i)].Action = actions[i];
        log.Clear();
        RunInstallation(data, installer.machine.platform, log, view);
    }

    // The IDE's user key as an export file, and its EnvOptions.proj.
    std::pair<std::string, std::optional<std::string>> Settings(const IdeFixture& ide)
    {
        const Platform& platform = installer.machine.platform;
        return {FormatRegFile(ExportKey(platform.registry, RootKey::CurrentUser, ide.UserKey())),
                ide.IsBds() && ide.KeyVersion() >= 5 ? platform.files.ReadFile(ide.EnvOptionsFile(platform))
                                                     : std::nullopt};
    }

    std::vector<std::string> Folders(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const DirEntry& entry : installer.machine.files.Enumerate(folder))
            names.push_back(entry.name);
        return names;
    }

    TRestoreResult Restore(const std::vector<std::string>& arguments, const std::string& folder = {})
    {
        TCmdOptions options(arguments, installer.machine.files, installer.machine.console);
        restoreLog.Messages.clear();
        return RestoreIdeSettings(installer.machine.platform, options, folder, restoreLog);
    }

    std::string DisplayName(int target) { return (*installer.Data().TargetOptions)[target].Target.DisplayName(); }

    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        for (const std::string& line : log.LogLines())
            lines.push_back(line.substr(line.find(']') + 1));
        return lines;
    }

    testing::InstallerMachine installer;
    std::deque<IdeFixture> ides;
    TProgressLog log{installer.machine.locale};
    LoggingView view{log};
    TLogToList restoreLog{installer.machine.locale};
};

TEST_F(IdeBackupTest, AnInstallationSavesEveryIdeItChangesAsItWasBefore)
{
    Add(Ide::Delphi6);
    const IdeFixture& delphi7 = Add(Ide::Delphi7);
    const IdeFixture& rad2007 = Add(Ide::Rad2007);
    const auto delphi7Before = Settings(delphi7);
    const auto rad2007Before = Settings(rad2007);
    ASSERT_TRUE(rad2007Before.second.has_value());

    Run(kFirstRun, {taLeaveUnchanged, taInstall, taInstall});

    const std::string run = std::string(kBackups) + "\\2026-03-01 09-15-00";
    EXPECT_THAT(Folders(kBackups), ElementsAre("2026-03-01 09-15-00"));
    EXPECT_THAT(Folders(run), ElementsAre("Delphi2007", "Delphi7"));
    const MemoryFiles& files = installer.machine.files;
    EXPECT_EQ(files.ReadFile(run + "\\Delphi7\\Registry.reg"), delphi7Before.first);
    EXPECT_THAT(Folders(run + "\\Delphi7"), ElementsAre("Registry.reg"));
    EXPECT_EQ(files.ReadFile(run + "\\Delphi2007\\Registry.reg"), rad2007Before.first);
    EXPECT_EQ(files.ReadFile(run + "\\Delphi2007\\EnvOptions.proj"), rad2007Before.second);
    EXPECT_NE(Settings(rad2007), rad2007Before);
    const std::vector<std::string> lines = LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "The IDE settings are saved before they change, in " + run), 1);
    EXPECT_FALSE(log.HasErrors());
}

struct ModeCase {
    const char* what;
    std::vector<TTargetAction> firstRun; // none: the second run is the first installation
    TInstallMode mode;
    std::vector<TTargetAction> secondRun;
    std::vector<std::string> saved;
};

void PrintTo(const ModeCase& c, std::ostream* out)
{
    *out << c.what;
}

class IdeBackupModes : public IdeBackupTest, public ::testing::WithParamInterface<ModeCase> {};

// Delphi 5, Delphi 6 and Delphi 7: the IDEs that the second run changes are saved, each once.
TEST_P(IdeBackupModes, SavesTheIdesTheRunChanges)
{
    const ModeCase& c = GetParam();
    Add(Ide::Delphi5);
    Add(Ide::Delphi6);
    Add(Ide::Delphi7);
    if (!c.firstRun.empty())
        Run(kFirstRun, c.firstRun);
    if (c.mode == imUpdate)
        installer.machine.files.WriteFile(std::string(testing::InstallerMachine::kPackageFolder) + "\\version",
                                          "2.1.0.0 Standard Edition With Sources");
    Run(kSecondRun, c.secondRun, c.mode);
    EXPECT_THAT(Folders(std::string(kBackups) + "\\2026-03-02 17-05-09"), ElementsAreArray(c.saved));
    EXPECT_FALSE(log.HasErrors());
}

INSTANTIATE_TEST_SUITE_P(
    EveryMode, IdeBackupModes,
    ::testing::Values(
        ModeCase{"installation", {}, imInstall, {taInstall, taLeaveUnchanged, taInstall}, {"Delphi5", "Delphi7"}},
        ModeCase{"maintenance",
                 {taInstall, taInstall, taLeaveUnchanged},
                 imMaintenance,
                 {taLeaveUnchanged, taRemove, taInstall},
                 {"Delphi6", "Delphi7"}},
        ModeCase{"update",
                 {taLeaveUnchanged, taInstall, taLeaveUnchanged},
                 imUpdate,
                 {taInstall, taInstall, taLeaveUnchanged},
                 {"Delphi5", "Delphi6"}},
        ModeCase{"uninstall",
                 {taInstall, taLeaveUnchanged, taInstall},
                 imUninstall,
                 {taLeaveUnchanged, taLeaveUnchanged, taLeaveUnchanged},
                 {"Delphi5", "Delphi7"}}));

TEST_F(IdeBackupTest, AnIdeWhoseSettingsCannotBeSavedIsLeftUnchangedAndTheRunGoesOn)
{
    const IdeFixture& delphi6 = Add(Ide::Delphi6);
    const IdeFixture& delphi7 = Add(Ide::Delphi7);
    const auto before = std::make_pair(Settings(delphi6), Settings(delphi7));
    // A file where the backup folder belongs.
    installer.machine.files.AddFile(kBackups, "in the way");

    Run(kFirstRun, {taInstall, taInstall});

    EXPECT_EQ(std::make_pair(Settings(delphi6), Settings(delphi7)), before);
    const std::vector<std::string> lines = LogLines();
    for (const char* name : {"Delphi 7.0 (Enterprise)", "Delphi 6.0 (Enterprise)"})
        EXPECT_THAT(lines, Contains(HasSubstr(std::string("The settings of ") + name +
                                              " cannot be saved, so it is left unchanged. Cannot create the folder")));
    EXPECT_THAT(lines, Not(Contains(HasSubstr("Compiling for:"))));
    EXPECT_EQ(lines.back(), "Installation completed");
}

TEST_F(IdeBackupTest, TheTenMostRecentRunsAreKept)
{
    Add(Ide::Delphi7);
    MemoryFiles& files = installer.machine.files;
    for (int day = 1; day <= 12; ++day)
        files.AddFile(std::string(kBackups) + "\\" + BackupRunName(EncodeDateTime({2025, 1, day, 8, 0, 0, 0})) +
                      "\\Delphi7\\Registry.reg");
    files.AddFile(std::string(kBackups) + "\\Notes\\read me.txt");

    Run(kFirstRun, {taInstall});

    std::vector<std::string> expected;
    for (int day = 4; day <= 12; ++day)
        expected.push_back(BackupRunName(EncodeDateTime({2025, 1, day, 8, 0, 0, 0})));
    expected.push_back("2026-03-01 09-15-00");
    expected.push_back("Notes");
    EXPECT_THAT(Folders(kBackups), ElementsAreArray(expected));
}

TEST_F(IdeBackupTest, ASecondRunInTheSameSecondTakesTheNextFolder)
{
    Add(Ide::Delphi7);
    Run(kFirstRun, {taInstall});
    Run(kFirstRun, {taInstall});
    EXPECT_THAT(Folders(kBackups), ElementsAre("2026-03-01 09-15-00", "2026-03-01 09-15-01"));
}

TEST_F(IdeBackupTest, RestoringPutsEveryIdeBackAsItWasBeforeTheRun)
{
    const IdeFixture& delphi7 = Add(Ide::Delphi7);
    const IdeFixture& rad2007 = Add(Ide::Rad2007);
    const auto before = std::make_pair(Settings(delphi7), Settings(rad2007));
    Run(kFirstRun, {taInstall, taInstall});
    ASSERT_NE(std::make_pair(Settings(delphi7), Settings(rad2007)), before);

    const TRestoreResult result = Restore({"--restore"});

    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_THAT(result.Refusal, IsEmpty());
    EXPECT_EQ(std::make_pair(Settings(delphi7), Settings(rad2007)), before);
    EXPECT_FALSE(installer.machine.files.FileExists(rad2007.EnvOptionsFile(installer.machine.platform) + ".restoring"));
    std::vector<std::string> lines;
    for (const TLogMessage& message : restoreLog.Messages)
        lines.push_back(installer.machine.locale.WideToAnsi(message.Text));
    EXPECT_THAT(
        lines, ElementsAre("Restoring the IDE settings saved in " + std::string(kBackups) + "\\2026-03-01 09-15-00",
                           "Restored the settings of " + DisplayName(1), "Restored the settings of " + DisplayName(0)));
}

TEST_F(IdeBackupTest, RestoringAChosenRunTakesItsSettings)
{
    const IdeFixture& delphi7 = Add(Ide::Delphi7);
    const auto original = Settings(delphi7);
    Run(kFirstRun, {taInstall});
    const auto installed = Settings(delphi7);
    Run(kSecondRun, {taRemove}, imMaintenance);

    EXPECT_EQ(Restore({}, "2026-03-02 17-05-09").ExitCode, 0);
    EXPECT_EQ(Settings(delphi7), installed);
    EXPECT_EQ(Restore({}, std::string(kBackups) + "\\2026-03-01 09-15-00\\").ExitCode, 0);
    EXPECT_EQ(Settings(delphi7), original);
}

TEST_F(IdeBackupTest, ARunningIdeRefusesTheRestoreUnlessToldToIgnoreIt)
{
    const IdeFixture& delphi7 = Add(Ide::Delphi7);
    const auto before = Settings(delphi7);
    Run(kFirstRun, {taInstall});
    const auto installed = Settings(delphi7);
    installer.machine.processes.AddRunningProcess(ExtractFileName(delphi7.AppFile()), {delphi7.AppFile()});

    const TRestoreResult refused = Restore({"--restore"});
    EXPECT_EQ(refused.ExitCode, 3);
    EXPECT_EQ(refused.Refusal, "Delphi 7.0 (Enterprise) is running. Close it, or restore with --ignore-ide.");
    EXPECT_EQ(Settings(delphi7), installed);
    EXPECT_THAT(restoreLog.Messages, IsEmpty());

    EXPECT_EQ(Restore({"--restore", "--ignore-ide"}).ExitCode, 0);
    EXPECT_EQ(Settings(delphi7), before);
}

TEST_F(IdeBackupTest, ARestoreWithoutABackupIsRefused)
{
    Add(Ide::Delphi7);
    EXPECT_EQ(Restore({}).Refusal, std::string("No backup of IDE settings in ") + kBackups + ".");
    EXPECT_EQ(Restore({}, "C:\\nowhere").Refusal, "No backup folder C:\\nowhere.");
    installer.machine.files.AddFile(std::string(kBackups) + "\\2026-01-01 00-00-00\\Delphi7\\Registry.reg",
                                    "REGEDIT4\r\nnonsense\r\n");
    const TRestoreResult unreadable = Restore({});
    EXPECT_EQ(unreadable.ExitCode, 3);
    EXPECT_THAT(unreadable.Refusal, HasSubstr("Line 2 of the registry file cannot be read: nonsense"));
    // A file that would replace another key than the IDE's is not imported.
    installer.machine.files.WriteFile(std::string(kBackups) + "\\2026-01-01 00-00-00\\Delphi7\\Registry.reg",
                                      "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Halvorn]\r\n");
    const TRestoreResult foreign = Restore({});
    EXPECT_EQ(foreign.ExitCode, 3);
    EXPECT_THAT(foreign.Refusal,
                HasSubstr("Delphi7 holds the settings of another key than Delphi 7.0 (Enterprise)'s."));
    EXPECT_THAT(restoreLog.Messages, IsEmpty());
}

TEST_F(IdeBackupTest, AnIdeThatCannotBeRestoredEndsWithCodeTwo)
{
    const IdeFixture& delphi7 = Add(Ide::Delphi7);
    Run(kFirstRun, {taInstall});
    const auto installed = Settings(delphi7);
    installer.machine.registry.SetReadOnly(RootKey::CurrentUser, true);

    const TRestoreResult result = Restore({"--restore"});

    EXPECT_EQ(result.ExitCode, 2);
    EXPECT_EQ(Settings(delphi7), installed);
    ASSERT_FALSE(restoreLog.Messages.empty());
    EXPECT_EQ(restoreLog.Messages.back().Level, llError);
}

} // namespace
} // namespace corvalis
