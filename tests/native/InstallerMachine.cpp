#include "native/InstallerMachine.h"

#include <algorithm>
#include <chrono>

#include "fixtures/RegistrySnapshot.h"
#include "ide/Utils.h"
#include "standins/MemoryStandIns.h"
#include "standins/Unrar.h"

namespace corvalis::testing {

product::PackageContent InstallerMachine::DefaultPackage()
{
    return {"2.0.1.0 Standard Edition With Sources", true, true, "C:\\Build\\unrar.exe", "C:\\Build\\setup.exe"};
}

InstallerMachine::InstallerMachine(product::PackageContent content)
{
    AddCommandInterpreter(machine);
    machine.files.AddFile("C:\\Build\\unrar.exe", "MZ unrar");
    machine.files.AddFile("C:\\Build\\setup.exe", "MZ setup");
    product::WriteInstallerPackage(machine.files, kPackageFolder, content);
    standins::InstallStandIn(machine, PathJoin(kPackageFolder, "unrar.exe"), standins::RunUnrar);
    machine.processes.SetExecutablePath(PathJoin(kPackageFolder, "setup.exe"));
    machine.files.SetCurrentDirectory(kPackageFolder);
}

void InstallerMachine::Install(const IdeFixture& fixture)
{
    MemoryFixtureFiles files(machine);
    fixture.Install(machine.platform, files);
}

TInstallData& InstallerMachine::Start(const std::vector<std::string>& arguments)
{
    data_.reset();
    options_ = std::make_unique<TCmdOptions>(arguments, machine.files, machine.console);
    data_ = std::make_unique<TInstallData>(machine.platform, *options_,
                                           [this](const std::string& text) { messages.push_back(text); });
    return *data_;
}

void InstallerMachine::CopyStateOf(const InstallerMachine& other)
{
    machine.registry.CopyKeysOf(other.machine.registry);
    machine.files.CopyFilesOf(other.machine.files);
}

std::vector<std::string> InstallerMachine::State(const std::string& except)
{
    std::vector<std::string> state;
    for (RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine})
        for (const auto& [name, value] : SnapshotKey(machine.registry, root, "Software"))
            state.push_back(name + "=" + value);
    std::vector<FoundFile> found;
    FindFiles(machine.files, "C:", "*", true, nullptr, found);
    for (const FoundFile& file : found)
        if (!StartsText(except, file.path))
            state.push_back(file.path + "=" + *machine.files.ReadFile(file.path));
    std::sort(state.begin(), state.end());
    return state;
}

void ToolEndOrder::operator()(const std::string& commandLine)
{
    std::unique_lock lock(mutex_);
    const auto ide = std::find_if(order_.begin(), order_.end(),
                                  [&](const std::string& name) { return commandLine.find(name) != std::string::npos; });
    if (ide == order_.end() || !held_.insert(*ide).second)
        return;
    changed_.notify_all();
    neverTogether_ |= !changed_.wait_for(lock, std::chrono::minutes(1),
                                         [&] { return held_.size() == order_.size() && order_[ended_] == *ide; });
    ++ended_;
    changed_.notify_all();
}

} // namespace corvalis::testing
