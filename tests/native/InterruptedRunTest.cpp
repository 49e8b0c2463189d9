#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "ide/Utils.h"
#include "native/InstallerMachine.h"
#include "unattended/Unattended.h"

namespace corvalis {
namespace {

using testing::Ide;
using testing::IdeFixture;
using testing::InstallerMachine;

constexpr const char* kBackups = "C:\\users\\user\\AppData\\Local\\Halvorn\\Corvalis\\Backup";
constexpr const char* kTemp = "C:\\users\\user\\Temp";
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

// What a run leaves but for the backups, the logs and the temporary folder.
std::vector<std::string> State(InstallerMachine& installer)
{
    std::vector<std::string> state = installer.State(kBackups);
    std::erase_if(state, [](const std::string& entry) {
        return StartsText(kTemp, entry) || StartsText(std::string(kInstallDir) + "\\setup.log=", entry);
    });
    return state;
}

// What one state has that the other lacks, and the other way round, each shortened.
std::pair<std::vector<std::string>, std::vector<std::string>> Differences(const std::vector<std::string>& state,
                                                                          const std::vector<std::string>& expected)
{
    std::vector<std::string> added, gone;
    std::set_difference(state.begin(), state.end(), expected.begin(), expected.end(), std::back_inserter(added));
    std::set_difference(expected.begin(), expected.end(), state.begin(), state.end(), std::back_inserter(gone));
    for (std::vector<std::string>* entries : {&added, &gone})
        for (std::string& entry : *entries)
            entry.resize(std::min<size_t>(entry.size(), 160));
    return {added, gone};
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
    EXPECT_LE(logged.size(), printed.size());
    EXPECT_TRUE(std::equal(logged.begin(), logged.end(), printed.begin()));
    return logged.size();
}

// The step boundaries of a run, each a stop before and after it: the writes of the product's
// record of the run and of its files, the first and last of an IDE's record of its change,
// each change of the system folder, the extraction's first and last file.
std::vector<size_t> StepBoundaries(const std::vector<std::string>& journal)
{
    const std::string record = std::string("HKLM\\") + ProductKey + "\\@";
    const auto recorded = [&](size_t i, const char* value) { return SameText(journal[i], record + value); };
    const auto extracted = [&](size_t i) {
        return i < journal.size() && StartsText(std::string(kInstallDir) + "\\Packages", journal[i]);
    };
    std::vector<size_t> steps;
    for (size_t i = 0; i < journal.size(); ++i)
        if (recorded(i, "Run") || recorded(i, "InstalledVersion") ||
            StartsText("C:\\windows\\system32\\", journal[i]) ||
            (extracted(i) && (i == 0 || !extracted(i - 1) || !extracted(i + 1))))
            steps.push_back(i);
    const auto pending = [&](const std::string& change) { return EndsText("\\@Pending Action", change); };
    steps.push_back(std::find_if(journal.begin(), journal.end(), pending) - journal.begin());
    steps.push_back(journal.rend() - std::find_if(journal.rbegin(), journal.rend(), pending) - 1);
    std::vector<size_t> boundaries;
    for (const size_t step : steps)
        boundaries.insert(boundaries.end(), {step, step + 1});
    std::sort(boundaries.begin(), boundaries.end());
    boundaries.erase(std::unique(boundaries.begin(), boundaries.end()), boundaries.end());
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
    const std::vector<size_t> stops = StepBoundaries(journal);
    std::cout << "Stop points: " << stops.size() << " of " << journal.size() << " changes\n";
    const std::string setupLog = std::string(kInstallDir) + "\\setup.log";
    for (const size_t stop : stops) {
        SCOPED_TRACE("stopped before change " + std::to_string(stop) + ": " + journal[stop]);
        auto installer = NewMachine();
        // The file is made empty, then takes each line as it comes.
        const auto logChanges = std::count(journal.begin(), journal.begin() + static_cast<std::ptrdiff_t>(stop), setupLog);
        EXPECT_EQ(StopAt(*installer, stop), static_cast<size_t>(std::max<std::ptrdiff_t>(logChanges - 1, 0)));
        EXPECT_EQ(Silent(*installer, {}), 0);
        EXPECT_EQ(Differences(State(*installer), installed), Differences(installed, installed));

        installer = NewMachine();
        StopAt(*installer, stop);
        if (installer->Start().ProductInstalled)
            EXPECT_EQ(Silent(*installer, {"--uninstall"}), 0);
        EXPECT_EQ(Differences(State(*installer), before), Differences(before, before));
    }
}

} // namespace
} // namespace corvalis
