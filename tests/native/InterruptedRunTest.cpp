#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <map>
#include <set>

#include "ide/Utils.h"
#include "native/InstallerMachine.h"
#include "unattended/Unattended.h"

namespace corvalis {
namespace {

using testing::Ide;
using testing::IdeFixture;
using testing::InstallerMachine;

constexpr const char* kBackups = "C:\\users\\user\\AppData\\Local\\Halvorn\\Corvalis\\Backup";
constexpr const char* kInstallDir = "C:\\Program Files\\Halvorn\\Corvalis";

// One IDE after another: every run makes its changes in the same order, so that a stop point
// names the same moment in each.
int Silent(InstallerMachine& installer, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), {"--silent", "--jobs=1"});
    return RunUnattended(installer.Start(arguments), installer.machine.platform);
}

// A run stopped part way, and the machine it starts on: the IDEs, the runs before it, and
// the package, newer than the one those runs installed for an update.
struct StoppedRun {
    const char* name;
    std::vector<Ide> ides;
    std::vector<std::vector<std::string>> earlier;
    bool newerPackage;
    std::vector<std::string> arguments;
};

void PrintTo(const StoppedRun& run, std::ostream* out)
{
    *out << run.name;
}

// The machine with the IDEs and the installer package, whose 4 connectivity packages are
// built-in ones, after the runs given: a small installation.
std::unique_ptr<InstallerMachine> NewMachine(const StoppedRun& run, bool withEarlierRuns = true)
{
    auto installer = std::make_unique<InstallerMachine>(product::PackageContent{
        "2.0.1.0 Standard Edition With Sources", true, false, "C:\\Build\\unrar.exe", "C:\\Build\\setup.exe"});
    for (const Ide ide : run.ides)
        installer->Install(IdeFixture(ide));
    for (size_t i = 0; withEarlierRuns && i < run.earlier.size(); ++i)
        EXPECT_EQ(Silent(*installer, run.earlier[i]), 0);
    if (run.newerPackage)
        installer->machine.files.WriteFile(std::string(InstallerMachine::kPackageFolder) + "\\version",
                                           "2.1.0.0 Standard Edition With Sources");
    return installer;
}

// What a run leaves but for backups, setup.log and temporary files; each entry short, with a hash.
std::vector<std::string> State(InstallerMachine& installer)
{
    std::vector<std::string> state = installer.State(kBackups);
    std::erase_if(state, [&](const std::string& entry) {
        return StartsText(installer.machine.files.TempDirectory(), entry) || entry.find("\\setup.log=") != std::string::npos;
    });
    for (std::string& entry : state)
        entry = entry.substr(0, 120) + " #" + std::to_string(std::hash<std::string>{}(entry));
    return state;
}

bool Uninstalls(const StoppedRun& run)
{
    return std::find(run.arguments.begin(), run.arguments.end(), "--uninstall") != run.arguments.end();
}

// Where the run writes its lines as they come.
std::string LiveLog(InstallerMachine& installer, const StoppedRun& run)
{
    return Uninstalls(run) ? PathJoin(installer.machine.files.TempDirectory(), "Corvalis uninstall.log")
                           : std::string(kInstallDir) + "\\setup.log";
}

// The run stopped before the change given, as a process ends that is killed, loses its power
// or its session; the next run starts from what it left. Its log holds the lines it printed
// before it stopped, but for the one it was writing.
void StopAt(InstallerMachine& installer, const StoppedRun& run, const std::vector<std::string>& journal, size_t change)
{
    MemoryStopPoint& stop = installer.machine.stopPoint;
    stop.StopAfter(static_cast<int>(change));
    const auto earlierLines = static_cast<std::ptrdiff_t>(installer.machine.console.Lines().size());
    Silent(installer, run.arguments);
    EXPECT_TRUE(stop.Stopped());
    stop.Clear();
    const std::string log = LiveLog(installer, run);
    const auto logChanges = std::count(journal.begin(), journal.begin() + static_cast<std::ptrdiff_t>(change), log);
    if (logChanges == 0)
        return; // the run had not begun its log
    std::vector<std::string> printed(installer.machine.console.Lines().begin() + earlierLines,
                                     installer.machine.console.Lines().end());
    std::erase_if(printed, [](const std::string& line) { return !line.starts_with('['); });
    printed.resize(static_cast<size_t>(logChanges - 1));
    EXPECT_EQ(TextLines(installer.machine.files.ReadFile(log).value_or("")), printed);
}

// The step boundaries of a run, each a stop before and after it: the writes of the product's
// record of the run and of its files and the removal of its key, the first and last of each
// IDE's record of its change, each change of the system folder, the first and last file of
// the extraction or removal.
std::set<size_t> StepBoundaries(const std::vector<std::string>& journal)
{
    const std::string key = std::string("HKLM\\") + ProductKey;
    const auto packages = [&](size_t i) {
        const std::string packages = std::string(kInstallDir) + "\\Packages";
        return i < journal.size() && (SameText(journal[i], packages) || StartsText(packages + "\\", journal[i]));
    };
    std::set<size_t> boundaries;
    std::map<std::string, std::vector<size_t>> pending;
    for (size_t i = 0; i < journal.size(); ++i) {
        const std::string& change = journal[i];
        if (SameText(change, key) || SameText(change, key + "\\@Run") || SameText(change, key + "\\@InstalledVersion") ||
            StartsText("C:\\windows\\system32\\", change) ||
            (packages(i) && (i == 0 || !packages(i - 1) || !packages(i + 1))))
            boundaries.insert({i, i + 1});
        if (EndsText("\\@Pending Action", change))
            pending[change].push_back(i);
    }
    for (const auto& [ide, changes] : pending)
        boundaries.insert({changes.front(), changes.front() + 1, changes.back(), changes.back() + 1});
    // Stopped after its last change, the run has ended.
    boundaries.erase(boundaries.lower_bound(journal.size()), boundaries.end());
    return boundaries;
}

// A machine like the one given, in the state it is in.
std::unique_ptr<InstallerMachine> CopyOf(const InstallerMachine& installer, const StoppedRun& run)
{
    auto copy = NewMachine(run, false);
    copy->CopyStateOf(installer);
    return copy;
}

class InterruptedRunTest : public ::testing::TestWithParam<StoppedRun> {};

// Stopped at each step boundary, the machine is taken on by the same run again to where an
// uninterrupted one leaves it, and by an uninstall to where it was before the product.
TEST_P(InterruptedRunTest, StoppedAtEveryStepItIsCompletedByTheNextRunOrUndoneByAnUninstall)
{
    const StoppedRun& run = GetParam();
    const std::vector<std::string> before = State(*NewMachine(run, false));
    const auto start = NewMachine(run);
    const auto reference = CopyOf(*start, run);
    reference->machine.stopPoint.journal.clear();
    ASSERT_EQ(Silent(*reference, run.arguments), 0);
    const std::vector<std::string> completed = State(*reference);
    const std::vector<std::string>& journal = reference->machine.stopPoint.journal;
    const std::set<size_t> stops = StepBoundaries(journal);
    std::cout << "Stop points: " << stops.size() << " of " << journal.size() << " changes\n";
    for (const size_t stop : stops) {
        SCOPED_TRACE("stopped before change " + std::to_string(stop) + ": " + journal[stop]);
        const auto installer = CopyOf(*start, run);
        StopAt(*installer, run, journal, stop);
        const auto uninstaller = CopyOf(*installer, run);
        if (!Uninstalls(run) || installer->Start().ProductInstalled) {
            // Stopped once the product's key was gone, the next uninstall finds nothing to do.
            EXPECT_EQ(Silent(*installer, run.arguments), 0);
        }
        EXPECT_EQ(State(*installer), completed);
        if (Uninstalls(run))
            continue;

        if (uninstaller->Start().ProductInstalled) {
            EXPECT_EQ(Silent(*uninstaller, {"--uninstall"}), 0);
        }
        EXPECT_EQ(State(*uninstaller), before);
    }
}

const StoppedRun kStoppedRuns[] = {
    {"Installation", {Ide::Delphi7}, {}, false, {}},
    {"Update", {Ide::Delphi6, Ide::Delphi7}, {{"--ides=Delphi7"}}, true, {"--autoupdate"}},
    {"Maintenance", {Ide::Delphi6, Ide::Delphi7}, {{"--ides=Delphi7"}}, false, {"--ides=Delphi6"}},
    {"Uninstall", {Ide::Delphi7}, {{}}, false, {"--uninstall"}}};
INSTANTIATE_TEST_SUITE_P(EveryMode, InterruptedRunTest, ::testing::ValuesIn(kStoppedRuns),
                         [](const auto& info) { return std::string(info.param.name); });

// A first installation stopped while it extracted, then made in another folder: the files it
// left go, and the machine is as after an uninterrupted installation there.
TEST(InterruptedRunTest, AFirstInstallationMadeAgainInAnotherFolderTakesAwayWhatTheStoppedOneLeft)
{
    const StoppedRun& run = kStoppedRuns[0];
    const std::vector<std::string> moved = {"--dir=C:\\Libs\\Corvalis"};
    const auto reference = NewMachine(run);
    ASSERT_EQ(Silent(*reference, moved), 0);
    const auto installer = NewMachine(run);
    installer->machine.stopPoint.StopAfter(200);
    Silent(*installer, {});
    installer->machine.stopPoint.Clear();
    ASSERT_FALSE(installer->machine.files.Enumerate(std::string(kInstallDir) + "\\Packages").empty());

    EXPECT_EQ(Silent(*installer, moved), 0);
    EXPECT_EQ(State(*installer), State(*reference));
}

} // namespace
} // namespace corvalis
