#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/InstallData.h"
#include "fixtures/MemoryFixture.h"
#include "ide/CmdLineUtils.h"
#include "product/InstallerPackage.h"

namespace corvalis::testing {

// A machine in memory with an installer package in a download folder, the installer started
// from there: its extractor is the stand-in, its IDEs come from fixtures.
class InstallerMachine {
public:
    static constexpr const char* kPackageFolder = "C:\\Downloads\\Corvalis Setup";

    explicit InstallerMachine(product::PackageContent content = DefaultPackage());

    static product::PackageContent DefaultPackage();
    void Install(const IdeFixture& fixture);
    // Makes the installation data, as start-up does, for the command line's arguments.
    TInstallData& Start(const std::vector<std::string>& arguments = {});
    TInstallData& Data() { return *data_; }
    // The registry and the files of the other machine in place of its own: a machine with the
    // same IDEs and package takes up where the other is.
    void CopyStateOf(const InstallerMachine& other);
    // What a run may change, sorted: every value below the keys named Software, as
    // "KEY\VALUE=data", and every file but those below except, as "path=content".
    std::vector<std::string> State(const std::string& except);

    MemoryPlatform machine;
    std::vector<std::string> messages;

private:
    std::unique_ptr<TCmdOptions> options_;
    std::unique_ptr<TInstallData> data_;
};

// An end gate of the memory processes (MemoryProcesses::SetEndGate) that holds each IDE's
// first tool until every IDE has one running, then lets them end in the order given, an IDE
// named by a text of its tools' command lines (its packages' ending, "D7."): a run that did
// not work on the IDEs side by side does not get past it within a minute.
class ToolEndOrder {
public:
    explicit ToolEndOrder(std::vector<std::string> order) : order_(std::move(order)) {}
    void operator()(const std::string& commandLine);
    bool NeverTogether() const { return neverTogether_; }

private:
    const std::vector<std::string> order_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::set<std::string> held_;
    size_t ended_ = 0;
    bool neverTogether_ = false;
};

} // namespace corvalis::testing
