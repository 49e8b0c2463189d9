#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
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

// A machine with Delphi 7 and the installer package: a small installation, whose 4
// connectivity packages are built-in ones.
std::unique_ptr<InstallerMachine> NewMachine()
{
    auto installer = std::make_unique<InstallerMachine>(product::PackageContent{
        "2.0.1.0 Standard Edition With Sources", true, false, "C:\\Build\\unrar.exe", "C:\\Build\\setup.exe"});
    installer->Install(IdeFixture(Ide::Delphi7));
    return installer;
}

int Silent(InstallerMachine& installer, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "--silent");
    return RunUnattended(installer.Start(arguments), installer.machine.platform);
}

// What a run leaves but for backups, logs and temporary files; each entry short, with a hash.
std::vector<std::string> State(InstallerMachine& installer)
{
    std::vector<std::string> state = installer.State(kBackups);
    std::erase_if(state, [&](const std::string& entry) {
        return StartsText(installer.machine.files.TempDirectory(), entry) || StartsText(std::string(kInstallDir) + "\\setup.log=", entry);
    });
    for (std::string& entry : state)
        entry = entry.substr(0, 120) + " #" + std::to_string(std::hash<std::string>{}(entry));
    return state;
}

// The run stopped before the change given, as a process ends that is killed, loses its power
// or its session; the next run starts from what it left. Its setup.log holds the first lines
// it printed, as many as it returns.
size_t StopAt(InstallerMachine& installer, size_t change)
{
    MemoryStopPoint& stop = installer.machine.stopPoint;
    stop.StopAfter(static_cast<int>(change));
    Silent(installer, {});
    EXPECT_TRUE(stop.Stopped());
    stop.Clear();
    std::vector<std::string> printed = installer.machine.console.Lines();
    std::erase_if(printed, [](const std::string& line) { return !line.starts_with('['); });
    const std::vector<std::string> logged =
        TextLines(installer.machine.files.ReadFile(std::string(kInstallDir) + "\\setup.log").value_or(""));
    printed.resize(logged.size());
    EXPECT_EQ(logged, printed);
    return logged.size();
}

// The step boundaries of a run, each a stop before and after it: the writes of the product's
// record of the run and of its files, the first and last of an IDE's record of its change,
// each change of the system folder, the extraction's first and last file.
std::set<size_t> StepBoundaries(const std::vector<std::string>& journal)
{
    const std::string record = std::string("HKLM\\") + ProductKey + "\\@";
    const auto extracted = [&](size_t i) {
        return i < journal.size() && StartsText(std::string(kInstallDir) + "\\Packages", journal[i]);
    };
    std::set<size_t> boundaries;
    std::vector<size_t> pending;
    for (size_t i = 0; i < journal.size(); ++i) {
        if (SameText(journal[i], record + "Run") || SameText(journal[i], record + "InstalledVersion") ||
            StartsText("C:\\windows\\system32\\", journal[i]) ||
            (extracted(i) && (i == 0 || !extracted(i - 1) || !extracted(i + 1))))
            boundaries.insert({i, i + 1});
        if (EndsText("\\@Pending Action", journal[i]))
            pending.push_back(i);
    }
    boundaries.insert({pending.front(), pending.front() + 1, pending.back(), pending.back() + 1});
    return boundaries;
}

// Stopped at each step boundary of an installation, the machine is taken on by a new
// installation to where an uninterrupted one leaves it, and by an uninstall to where it was
// before the product.
TEST(InterruptedRunTest, AnInstallationStoppedAtEveryStepIsCompletedByTheNextOrUndoneByAnUninstall)
{
    const auto reference = NewMachine();
    const std::vector<std::string> before = State(*reference);
    reference->machine.stopPoint.journal.clear();
    ASSERT_EQ(Silent(*reference, {}), 0);
    const std::vector<std::string> installed = State(*reference);
    const std::vector<std::string>& journal = reference->machine.stopPoint.journal;
    const std::set<size_t> stops = StepBoundaries(journal);
    std::cout << "Stop points: " << stops.size() << " of " << journal.size() << " changes\n";
    const std::string setupLog = std::string(kInstallDir) + "\\setup.log";
    for (const size_t stop : stops) {
        SCOPED_TRACE("stopped before change " + std::to_string(stop) + ": " + journal[stop]);
        auto installer = NewMachine();
        const auto logChanges =
            std::count(journal.begin(), journal.begin() + static_cast<std::ptrdiff_t>(stop), setupLog);
        EXPECT_EQ(StopAt(*installer, stop), static_cast<size_t>(std::max<std::ptrdiff_t>(logChanges - 1, 0)));
        EXPECT_EQ(Silent(*installer, {}), 0);
        EXPECT_EQ(State(*installer), installed);

        installer = NewMachine();
        StopAt(*installer, stop);
        if (installer->Start().ProductInstalled)
            EXPECT_EQ(Silent(*installer, {"--uninstall"}), 0);
        EXPECT_EQ(State(*installer), before);
    }
}

} // namespace
} // namespace corvalis
