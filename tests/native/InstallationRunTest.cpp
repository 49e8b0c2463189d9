#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>

#include "engine/IdeBackup.h"
#include "engine/RegistryExport.h"
#include "fixtures/RegistrySnapshot.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "native/InstallerMachine.h"
#include "platform/Exceptions.h"
#include "run/InstallationRun.h"
#include "run/SetupLog.h"
#include "unattended/IdeRestore.h"

namespace corvalis {
namespace {

using ::testing::AllOf;
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
const std::string kFirstRunFolder = std::string(kBackups) + "\\0001 2026-03-01 09-15-00";

// The compile page's side of a run.
class RecordingView : public IInstallationRunView {
public:
    explicit RecordingView(const ILocale& locale) : log(locale) {}
    void LogMessage(TLogBase&, TLogLevel level, const std::u16string& text, DateTime time) override
    {
        const TProgressLog::Shown shown = log.Add(level, text, time);
        lines.push_back(shown.text);
        if (shown.error)
            errorAt = steps.back().first;
    }
    void ShowSetupLog(const std::optional<std::string>& path) override { setupLog = path; }
    void RunSucceeded() override { lines.push_back("<succeeded>"); }
    void ShowProgress(int done, int total) override { steps.emplace_back(done, total); }

    TProgressLog log;
    std::vector<std::string> lines;
    std::vector<std::pair<int, int>> steps;
    std::optional<std::string> setupLog = std::string("<not set>");
    int errorAt = -1; // the steps done when the last error line came
};

class InstallationRunTest : public ::testing::Test {
protected:
    const IdeFixture& Add(const IdeFixture& ide)
    {
        installer.Install(ides.emplace_back(ide));
        return ides.back();
    }
    const IdeFixture& Add(Ide ide) { return Add(IdeFixture(ide)); }
    // One run of the compile page at the time given; the actions by IDE in discovery order
    // (Delphi, C++Builder, BDS; each by version), in which the tests add them.
    RecordingView& Run(DateTime time, const std::vector<TTargetAction>& actions, std::optional<TInstallMode> mode = {})
    {
        installer.machine.locale.SetNow(time);
        TInstallData& data = installer.Start(arguments);
        if (mode)
            data.Mode = *mode;
        for (size_t i = 0; i < actions.size(); ++i)
            (*data.TargetOptions)[static_cast<int>(i)].Action = actions[i];
        RecordingView& view = views.emplace_back(installer.machine.locale);
        RunInstallation(data, installer.machine.platform, view.log, view);
        return view;
    }
    void NewerPackage()
    {
        installer.machine.files.WriteFile(std::string(testing::InstallerMachine::kPackageFolder) + "\\version",
                                          "2.1.0.0 Standard Edition With Sources");
    }
    // The IDE's user key, and its EnvOptions.proj.
    std::pair<TKeyExport, std::optional<std::string>> Settings(const IdeFixture& ide)
    {
        const Platform& platform = installer.machine.platform;
        return {ExportKey(platform.registry, RootKey::CurrentUser, ide.UserKey()),
                ide.IsBds() ? platform.files.ReadFile(ide.EnvOptionsFile(platform)) : std::nullopt};
    }
    std::vector<std::string> Folders(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const DirEntry& entry : installer.machine.files.Enumerate(folder))
            names.push_back(entry.name);
        return names;
    }
    std::vector<std::string> RestoreErrors()
    {
        std::vector<std::string> errors;
        for (const TLogMessage& message : restoreLog.Messages)
            if (message.Level == llError)
                errors.push_back(Utf16ToUtf8(message.Text));
        return errors;
    }
    TRestoreResult Restore(const std::vector<std::string>& arguments, const std::string& folder = {})
    {
        TCmdOptions options(arguments, installer.machine.files, installer.machine.console);
        restoreLog.Messages.clear();
        return RestoreIdeSettings(installer.machine.platform, options, folder, restoreLog);
    }

    testing::InstallerMachine installer;
    // Of each run; side by side, the bar counts each IDE's steps as it takes them.
    std::vector<std::string> arguments;
    std::deque<IdeFixture> ides;
    std::deque<RecordingView> views;
    TLogToList restoreLog{installer.machine.locale};
};

struct ModeCase {
    const char* name;
    std::vector<TTargetAction> firstRun; // none: the second run is the first installation
    TInstallMode mode;
    std::vector<TTargetAction> secondRun;
    int steps;
    // The run's milestones ("+7" installs into Delphi 7, "-7" removes from it), then per IDE
    // whether the next start finds the product there ('+').
    std::string order;
    std::vector<std::string> saved; // the IDEs whose settings the second run saves
};

class InstallationRunModes : public InstallationRunTest, public ::testing::WithParamInterface<ModeCase> {};

// Delphi 5, 6 and 7: each mode's steps in order, the IDEs it changes saved once, a bar that
// goes step by step from empty to full, and setup.log, which an uninstall does not write.
TEST_P(InstallationRunModes, TakesItsStepsInOrder)
{
    const ModeCase& c = GetParam();
    Add(Ide::Delphi5);
    Add(Ide::Delphi6);
    Add(Ide::Delphi7);
    arguments = {"--jobs=1"};
    if (!c.firstRun.empty())
        Run(kFirstRun, c.firstRun);
    if (c.mode == imUpdate)
        NewerPackage();
    const std::optional<TInstallMode> forced = c.mode == imUninstall ? std::optional(imUninstall) : std::nullopt;
    const RecordingView& view = Run(kSecondRun, c.secondRun, forced);
    EXPECT_EQ(installer.Data().Mode, c.mode);

    const std::pair<std::string, std::string> milestones[] = {
        {"Extracting component files", "unrar"}, {"Delete component files", "wipe"},
        {"The IDE settings are saved", "saved"}, {"Uninstall from IDE:Delphi ", "-"},
        {"Compiling for:Delphi ", "+"},          {"Installation completed", "end"},
        {"Uninstall completed", "gone"}};
    std::string order;
    for (const std::string& line : view.lines)
        for (const auto& [prefix, token] : milestones)
            if (line.starts_with(prefix) && !line.ends_with(") completed")) // not an IDE's removal ending
                order += (order.empty() ? "" : " ") + token + (token.size() == 1 ? line.substr(prefix.size(), 1) : "");
    EXPECT_THAT(Folders(std::string(kBackups) + "\\000" + (c.firstRun.empty() ? "1" : "2") + " 2026-03-02 17-05-09"),
                ElementsAreArray(c.saved));
    EXPECT_FALSE(view.log.HasErrors());
    EXPECT_EQ(view.lines.back(), "<succeeded>");
    ASSERT_FALSE(view.steps.empty());
    EXPECT_EQ(view.steps.front(), std::make_pair(0, c.steps));
    for (size_t i = 1; i < view.steps.size(); ++i)
        EXPECT_EQ(view.steps[i], std::make_pair(view.steps[i - 1].first + 1, c.steps));
    EXPECT_EQ(view.steps.back(), std::make_pair(c.steps, c.steps));

    const std::string setupLog = installer.Data().InstallDir + "\\setup.log";
    EXPECT_EQ(view.setupLog, c.mode == imUninstall ? std::nullopt : std::optional(setupLog));
    if (c.mode != imUninstall)
        EXPECT_EQ(TextLines(*installer.machine.files.ReadFile(setupLog)), view.log.LogLines());
    else
        EXPECT_FALSE(installer.machine.files.FileExists(setupLog));
    order += ' ';
    for (int i = 0; i < 3; ++i)
        order += (*installer.Start().TargetOptions)[i].Installed ? '+' : '-';
    EXPECT_EQ(order, c.order);
}

// Delphi 5, 6 and 7 build 4 connectivity packages each of the sample product: an IDE to
// install into takes its removal, 2 core packages and those; one to remove takes 1 step;
// the product's files take 1 to extract and 1 to remove (an update: 2 removals, 1 extraction).
constexpr TTargetAction I = taInstall, L = taLeaveUnchanged, R = taRemove;
const ModeCase kModes[] = {
    {"Install", {}, imInstall, {I, L, I}, 1 + 7 + 7, "unrar saved +7 +5 end +-+", {"Delphi5", "Delphi7"}},
    {"Maintenance", {I, I, L}, imMaintenance, {L, R, I}, 1 + 7, "saved +7 -6 end +-+", {"Delphi6", "Delphi7"}},
    {"Update", {L, I, L}, imUpdate, {I, I, L}, 3 + 7 + 7, "saved -6 wipe unrar +6 +5 end ++-", {"Delphi5", "Delphi6"}},
    {"Uninstall", {I, L, I}, imUninstall, {}, 2 + 1, "saved -5 -7 wipe gone ---", {"Delphi5", "Delphi7"}}};
INSTANTIATE_TEST_SUITE_P(EveryMode, InstallationRunModes, ::testing::ValuesIn(kModes),
                         [](const auto& info) { return std::string(info.param.name); });

// Installed into three IDEs and removed by the installer in its Uninstall folder, the
// product leaves the machine as it found it: its keys, every IDE's settings and registered
// files, the system folder, the Start menu. The user's own file stays, and the running
// installer waits in the temporary folder.
TEST_F(InstallationRunTest, ACompleteRemovalLeavesTheMachineAsTheInstallationFoundIt)
{
    for (Ide ide : {Ide::Delphi6, Ide::Delphi7, Ide::CBuilder6, Ide::Rad2007})
        Add(ide);
    MemoryFiles& files = installer.machine.files;
    const std::string folder = installer.Start().InstallDir;
    files.AddFile(folder + "\\My notes.txt", "mine");
    installer.machine.processes.SetEnv("PATH", files.SystemDirectory());
    // The backups stay, by design.
    const std::vector<std::string> before = installer.State(kBackups);
    Run(kFirstRun, {taLeaveUnchanged, taInstall, taInstall, taInstall});
    // Windows keeps a running program from being deleted, not from being moved.
    installer.machine.processes.SetExecutablePath(folder + "\\Uninstall\\setup.exe");
    files.SetInUse(folder + "\\Uninstall\\setup.exe", true);
    files.SetCurrentDirectory(folder + "\\Uninstall");
    Run(kSecondRun, {}, imUninstall);
    const std::vector<std::string> after = installer.State(kBackups);
    std::vector<std::string> gone, added;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(gone));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
    EXPECT_THAT(gone, IsEmpty());
    EXPECT_THAT(added, ElementsAre(files.TempDirectory() + "\\setup.exe=MZ setup"));
}

// Delphi 7 goes first and fails at its second package, after its removal and one package:
// its 5 remaining steps are passed over at once, and Delphi 6 goes on from there.
TEST_F(InstallationRunTest, AnIdeThatFailsHalfWayLetsTheRunGoOnAndTheBarEndsFull)
{
    Add(Ide::Delphi6);
    Add(Ide::Delphi7);
    arguments = {"--jobs=1"};
    installer.machine.processes.SetEnv("CORVALIS_DCC32_FAIL", "CorvalisDsgnD7.dpk");
    const RecordingView& view = Run(kFirstRun, {taInstall, taInstall});
    EXPECT_TRUE(view.log.HasErrors());
    EXPECT_EQ(view.errorAt, 1 + 2);
    const auto jump = std::adjacent_find(view.steps.begin(), view.steps.end(),
                                         [](const auto& a, const auto& b) { return b.first - a.first > 1; });
    ASSERT_NE(jump, view.steps.end());
    EXPECT_EQ(*std::next(jump), std::make_pair(1 + 7, 1 + 7 + 7));
    EXPECT_EQ(view.steps.back(), std::make_pair(1 + 7 + 7, 1 + 7 + 7));
    EXPECT_TRUE((*installer.Data().TargetOptions)[0].Installed);
    EXPECT_THAT(std::vector(view.lines.end() - 2, view.lines.end()),
                ElementsAre("Installation completed", "<succeeded>"));
}

// A failed extraction leaves the run recorded, with files no longer whole: the next start
// updates them again, and says why.
TEST_F(InstallationRunTest, AnUpdateWithoutItsExtractorRemovesNothingAndAFailedExtractionLeavesItsRunRecorded)
{
    Add(Ide::Delphi7);
    Run(kFirstRun, {taInstall});
    NewerPackage();
    const std::string unrar = std::string(testing::InstallerMachine::kPackageFolder) + "\\unrar.exe";
    installer.machine.files.MoveFile(unrar, unrar + ".away");
    EXPECT_THROW(Run(kSecondRun, {taInstall}), Exception);
    EXPECT_THAT(views.back().lines, IsEmpty());
    EXPECT_EQ(testing::SnapshotKey(installer.machine.registry, RootKey::LocalMachine, ProductKey)["INSTALLEDVERSION"],
              "s:2.0.1.0 Standard Edition With Sources");
    installer.machine.files.MoveFile(unrar + ".away", unrar);
    installer.machine.processes.SetEnv("CORVALIS_UNRAR_EXIT", "2");
    EXPECT_THROW(Run(kSecondRun, {taInstall}), Exception);
    EXPECT_EQ(views.back().setupLog, "<not set>");
    EXPECT_FALSE(installer.machine.registry.OpenKey(RootKey::LocalMachine, ProductKey, KeyAccess::Read)
                     ->ValueExists("InstalledVersion"));
    EXPECT_EQ(installer.Start().Mode, imUpdate);
    EXPECT_THAT(installer.Data().RunWarnings, ElementsAre(HasSubstr("an update of Corvalis 2.1.0.0")));
    EXPECT_THAT(views.back().lines, Contains("Uninstall from IDE:Delphi 7.0 (Enterprise)"));
}

// Each fault stops the backup of Delphi 6, or of both IDEs: that IDE is left unchanged, and no
// folder of it, nor of a run that saved nothing, is left behind.
struct BackupFault {
    const char* name;
    // Given the user keys of Delphi 6 and Delphi 7.
    std::function<void(MemoryPlatform&, const std::string&, const std::string&)> plant;
    std::string error;
    bool both;
};
const BackupFault kBackupFaults[] = {
    {"FileInTheWay", [](MemoryPlatform& m, auto&, auto&) { m.files.AddFile(kBackups, "in the way"); },
     "Cannot create the folder", true},
    {"DiskFull", [](MemoryPlatform& m, auto&, auto&) { m.files.SetFreeSpace(kBackups, 0); }, "not enough space", true},
    // Delphi 7 goes first and takes the last of the space.
    {"DiskFullAtTheSecondIde",
     [](MemoryPlatform& m, auto&, const std::string& delphi7) {
         m.files.SetFreeSpace(kBackups, FormatRegFile(ExportKey(m.registry, RootKey::CurrentUser, delphi7)).size());
     },
     "Delphi6.incomplete\\Registry.reg: There is not enough space on the disk", false},
    {"LineBreakInAName",
     [](MemoryPlatform& m, const std::string& delphi6, auto&) {
         m.registry.OpenKey(RootKey::CurrentUser, delphi6 + "\\Known Packages", KeyAccess::Write)
             ->WriteString("C:\\a\r\nb.bpl", "");
     },
     "A registry file cannot hold the key", false},
};
void PrintTo(const BackupFault& fault, std::ostream* os)
{
    *os << fault.name;
}

class InstallationRunBackupFaults : public InstallationRunTest, public ::testing::WithParamInterface<BackupFault> {};

TEST_P(InstallationRunBackupFaults, LeaveTheIdeUnchangedAndNoPartialFolder)
{
    const BackupFault& c = GetParam();
    const IdeFixture& delphi6 = Add(Ide::Delphi6);
    const IdeFixture& delphi7 = Add(Ide::Delphi7);
    c.plant(installer.machine, delphi6.UserKey(), delphi7.UserKey());
    const auto before = std::make_pair(Settings(delphi6), Settings(delphi7));
    const RecordingView& view = Run(kFirstRun, {taInstall, taInstall});
    EXPECT_EQ(Settings(delphi6), before.first);
    EXPECT_EQ(Settings(delphi7) == before.second, c.both);
    EXPECT_THAT(view.lines, Contains(AllOf(HasSubstr("The settings of Delphi 6.0 (Enterprise) cannot be saved, so it "
                                                     "is left unchanged."),
                                           HasSubstr(c.error))));
    EXPECT_THAT(std::vector(view.lines.end() - 2, view.lines.end()),
                ElementsAre("Installation completed", "<succeeded>"));
    if (c.both)
        EXPECT_FALSE(installer.machine.files.DirectoryExists(kFirstRunFolder));
    else
        EXPECT_THAT(Folders(kFirstRunFolder), ElementsAre("Delphi7"));
}
INSTANTIATE_TEST_SUITE_P(EachFault, InstallationRunBackupFaults, ::testing::ValuesIn(kBackupFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// The clock set back: the runs made now come after the older runs of later dates, by their
// sequence; pruning keeps the ten newest, the run just made among them, and the run a
// restore reads.
TEST_F(InstallationRunTest, RunsFollowTheirSequenceWhateverTheClockAndPruningKeepsTheTenNewest)
{
    const IdeFixture& delphi7 = Add(Ide::Delphi7);
    const auto run = [](int n) { return BackupRunName(n, EncodeDateTime({2027, 1, n, 8, 0, 0, 0})); };
    const std::string saved = FormatRegFile(Settings(delphi7).first);
    for (int n = 1; n <= 12; ++n)
        installer.machine.files.AddFile(std::string(kBackups) + "\\" + run(n) + "\\Delphi7\\Registry.reg", saved);
    installer.machine.files.AddFile(std::string(kBackups) + "\\Notes\\read me.txt");
    Run(kFirstRun, {taInstall});
    Run(kFirstRun, {taInstall});
    const auto runs = [&](int from, int to) {
        std::vector<std::string> names;
        for (int n = from; n <= to; ++n)
            names.push_back(n <= 12 ? run(n) : BackupRunName(n, kFirstRun));
        names.push_back("Notes");
        return names;
    };
    EXPECT_THAT(Folders(kBackups), ElementsAreArray(runs(5, 14)));
    EXPECT_EQ(Restore({}).ExitCode, 0);
    EXPECT_EQ(restoreLog.Messages.front().Text,
              Utf8ToUtf16("Restoring the IDE settings saved in " + std::string(kBackups) + "\\" + runs(14, 14)[0]));
    EXPECT_EQ(Restore({}, "5").ExitCode, 0);
    std::vector<std::string> kept = runs(7, 16);
    kept.insert(kept.begin(), run(5));
    EXPECT_THAT(Folders(kBackups), ElementsAreArray(kept));
}

// Names that the system code page lacks ("Łukasz") survive the installation and the restore;
// the restore refuses while an IDE runs, and a file that would replace another key than the
// IDE's; it saves what it replaces as a run that a restore by its number puts back.
TEST_F(InstallationRunTest, RestoringPutsTheIdesBackAsTheRunFoundThemAndCanItselfBeUndone)
{
    const std::string lukasz = "C:\\Users\\\xC5\x81ukasz\\Bpl\\x.bpl";
    const IdeFixture& delphi7 = Add(IdeFixture(Ide::Delphi7).WithKnownPackage(lukasz, "\xC5\x81ukasz's"));
    const IdeFixture& rad2007 = Add(Ide::Rad2007);
    installer.machine.registry.OpenKey(RootKey::CurrentUser, delphi7.UserKey() + "\\\xE4\xB8\xAD", KeyAccess::WriteCreate);
    const auto ideSettings = [&] { return std::make_pair(Settings(delphi7), Settings(rad2007)); };
    const auto original = ideSettings();
    Run(kFirstRun, {taInstall, taInstall});
    const auto installed = ideSettings();
    EXPECT_EQ(installer.machine.registry.OpenKey(RootKey::CurrentUser, delphi7.UserKey() + "\\Known Packages",
                                                 KeyAccess::Read)->ReadString(lukasz), "\xC5\x81ukasz's");
    installer.machine.processes.AddRunningProcess(ExtractFileName(delphi7.AppFile()), {delphi7.AppFile()});
    const TRestoreResult refused = Restore({});
    EXPECT_EQ(refused.ExitCode, 3);
    EXPECT_EQ(refused.Refusal, "Delphi 7.0 (Enterprise) is running. Close it, or restore with --ignore-ide.");
    EXPECT_EQ(ideSettings(), installed);
    EXPECT_EQ(Restore({"--ignore-ide"}).ExitCode, 0);
    EXPECT_EQ(ideSettings(), original);
    EXPECT_EQ(restoreLog.Messages.back().Text, u"To undo this restore: setup.exe --restore=2");
    EXPECT_EQ(Restore({"--ignore-ide"}, "2").ExitCode, 0);
    EXPECT_EQ(ideSettings(), installed);
    EXPECT_FALSE(installer.machine.files.FileExists(rad2007.EnvOptionsFile(installer.machine.platform) + ".restoring"));

    installer.machine.files.WriteFile(kFirstRunFolder + "\\Delphi7\\Registry.reg",
                                      FormatRegFile({RootKey::CurrentUser, "Software\\Halvorn", {}}));
    const TRestoreResult foreign = Restore({"--ignore-ide"}, "1");
    EXPECT_EQ(foreign.ExitCode, 3);
    EXPECT_THAT(foreign.Refusal,
                HasSubstr("Delphi7 holds the settings of another key than Delphi 7.0 (Enterprise)'s."));
    EXPECT_THAT(restoreLog.Messages, IsEmpty());
    EXPECT_EQ(Restore({}, "C:\\nowhere").Refusal, "No backup folder C:\\nowhere.");
}

// A run that stopped while it saved an IDE leaves that IDE's folder incomplete: the other IDEs
// of the backup are restored all the same, and each incomplete one is reported.
TEST_F(InstallationRunTest, ARestoreTakesEveryCompleteIdeOfABackupAndReportsAnIncompleteOne)
{
    const IdeFixture& delphi6 = Add(Ide::Delphi6);
    const IdeFixture& delphi7 = Add(Ide::Delphi7);
    const auto original = Settings(delphi7);
    Run(kFirstRun, {taInstall, taInstall});
    const auto installed = Settings(delphi6);
    MemoryFiles& files = installer.machine.files;
    files.MoveFile(kFirstRunFolder + "\\Delphi6", kFirstRunFolder + "\\Delphi6.incomplete");
    files.CreateDirectory(kFirstRunFolder + "\\Delphi5");
    EXPECT_EQ(Restore({}).ExitCode, 2);
    EXPECT_EQ(Settings(delphi7), original);
    EXPECT_EQ(Settings(delphi6), installed);
    EXPECT_THAT(RestoreErrors(), ElementsAre(HasSubstr("Delphi5 are incomplete; they are not restored. The backup"),
                                    HasSubstr("Delphi6.incomplete are incomplete; they are not restored. The run")));
}

// A restore that fails at any step puts the IDE back as the restore found it and ends with 2.
struct RestoreFault {
    const char* name;
    std::function<void(MemoryPlatform&, const IdeFixture&)> plant;
    std::string error;
};
const RestoreFault kRestoreFaults[] = {
    {"ReplacedNotSaved", [](MemoryPlatform& m, const IdeFixture&) { m.files.SetFreeSpace(kBackups, 0); },
     "cannot be saved, so it is left unchanged."},
    {"SubkeyNotDeleted",
     [](MemoryPlatform& m, const IdeFixture& ide) {
         m.registry.OpenKey(RootKey::CurrentUser, ide.UserKey() + "\\Kept", KeyAccess::WriteCreate)->WriteString("a", "");
         m.registry.SetLocked(RootKey::CurrentUser, ide.UserKey() + "\\Kept");
     },
     "5.0 cannot be deleted"},
    {"SubkeyNotCreated",
     [](MemoryPlatform& m, const IdeFixture& ide) {
         m.registry.DeleteKey(RootKey::CurrentUser, ide.UserKey() + "\\Debugging");
         m.registry.SetLocked(RootKey::CurrentUser, ide.UserKey() + "\\Debugging");
     },
     "\\Debugging cannot be created"},
    {"EnvOptionsInUse",
     [](MemoryPlatform& m, const IdeFixture& ide) { m.files.SetInUse(ide.EnvOptionsFile(m.platform), true); },
     "EnvOptions.proj: Access is denied"},
};

void PrintTo(const RestoreFault& fault, std::ostream* os)
{
    *os << fault.name;
}

class InstallationRunRestoreFaults : public InstallationRunTest, public ::testing::WithParamInterface<RestoreFault> {};

TEST_P(InstallationRunRestoreFaults, LeaveTheIdeAsTheRestoreFoundIt)
{
    const RestoreFault& c = GetParam();
    const IdeFixture& rad2007 = Add(Ide::Rad2007);
    Run(kFirstRun, {taInstall});
    c.plant(installer.machine, rad2007);
    const auto before = Settings(rad2007);
    EXPECT_EQ(Restore({}).ExitCode, 2);
    EXPECT_EQ(Settings(rad2007), before);
    EXPECT_THAT(RestoreErrors(), ElementsAre(HasSubstr(c.error)));
}
INSTANTIATE_TEST_SUITE_P(EachStep, InstallationRunRestoreFaults, ::testing::ValuesIn(kRestoreFaults),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace corvalis
