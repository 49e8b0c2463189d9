#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "core/InstallData.h"
#include "engine/Compile.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"

// Several IDEs at once. An IDE's work is mostly waiting for its compilers, and the IDEs share
// no file or key a build writes, but they do share the services, the installation data, the
// backup and the run's log. So one lock guards all of it: a lane holds it while it works
// and lets go only while it waits for a tool. What stays in order is then in order by
// construction, whichever service or Windows call it is; the time of the tools overlaps.

namespace corvalis {
namespace {

using namespace std::chrono_literals;

class Unlocked {
public:
    explicit Unlocked(std::unique_lock<std::mutex>& lock) : lock_(lock) { lock_.unlock(); }
    Unlocked(const Unlocked&) = delete;
    Unlocked& operator=(const Unlocked&) = delete;
    ~Unlocked() { lock_.lock(); }

private:
    std::unique_lock<std::mutex>& lock_;
};

class LaneChild : public IChildProcess {
public:
    LaneChild(std::unique_ptr<IChildProcess> child, std::unique_lock<std::mutex>& lock)
        : child_(std::move(child)), lock_(lock)
    {
    }
    bool WaitFor(uint32_t milliseconds) override
    {
        Unlocked unlocked(lock_);
        return child_->WaitFor(milliseconds);
    }
    uint32_t BytesWaiting(Channel channel) override { return child_->BytesWaiting(channel); }
    std::string Read(Channel channel, uint32_t count) override { return child_->Read(channel, count); }
    std::optional<int32_t> ExitCode() override { return child_->ExitCode(); }

private:
    std::unique_ptr<IChildProcess> child_;
    std::unique_lock<std::mutex>& lock_;
};

// The run's processes, for one lane: its tools' waits let the other lanes work.
class LaneProcesses : public IProcesses {
public:
    LaneProcesses(IProcesses& processes, std::unique_lock<std::mutex>& lock) : processes_(processes), lock_(lock) {}

    StartedProcess Start(const std::string& commandLine, const std::string& workingFolder) override
    {
        StartedProcess started = processes_.Start(commandLine, workingFolder);
        if (started.child)
            started.child = std::make_unique<LaneChild>(std::move(started.child), lock_);
        return started;
    }
    std::optional<std::vector<ProcessEntry>> ProcessSnapshot() override { return processes_.ProcessSnapshot(); }
    std::optional<std::vector<std::string>> ModuleSnapshot(uint32_t processId) override
    {
        return processes_.ModuleSnapshot(processId);
    }
    std::optional<std::string> GetEnv(const std::string& name) const override { return processes_.GetEnv(name); }
    std::string ExecutablePath() const override { return processes_.ExecutablePath(); }

private:
    IProcesses& processes_;
    std::unique_lock<std::mutex>& lock_;
};

} // namespace

int JobCount(int requested, unsigned processors, size_t ides)
{
    const size_t wanted = requested > 0 ? static_cast<size_t>(requested) : std::max(processors, 1U);
    return static_cast<int>(std::clamp<size_t>(ides, 1, wanted));
}

bool TCompiler::SaveSettings(const TTargetOptions& options)
{
    return backup_->Save(options.Target, FLog) != nullptr;
}

void TCompiler::ForEachIde(const std::vector<TIdeJob>& jobs, const TIdeWork& work)
{
    const int jobCount =
        JobCount(ParseJobs(installData_.Options.Jobs).value_or(0), std::thread::hardware_concurrency(), jobs.size());
    if (jobCount > 1) {
        RunSideBySide(jobs, jobCount, work);
        return;
    }
    for (const TIdeJob& job : jobs) {
        const int done = progress_->Done() + job.steps;
        work(*this, *job.options);
        // An IDE left unchanged or failed half way has its remaining steps behind it.
        progress_->Reach(done);
    }
}

void TCompiler::RunSideBySide(const std::vector<TIdeJob>& jobs, int jobCount, const TIdeWork& work)
{
    struct Lane {
        std::unique_ptr<LaneProcesses> processes;
        std::unique_ptr<TCompiler> compiler;
        std::exception_ptr failure;
        bool finished = false;
    };
    std::vector<Lane> lanes(jobs.size());
    std::mutex mutex;
    std::condition_variable laneEnded;
    size_t started = 0;
    // A lane's work failed as a whole: no other starts, as no other would one after another.
    bool stopped = false;
    const auto worker = [&] {
        std::unique_lock lock(mutex);
        while (!stopped && started < jobs.size()) {
            Lane& lane = lanes[started];
            TTargetOptions& options = *jobs[started++].options;
            lane.processes = std::make_unique<LaneProcesses>(platform_.processes, lock);
            const Platform& run = platform_;
            lane.compiler.reset(new TCompiler(
                *this, {run.registry, run.files, *lane.processes, run.shell, run.console, run.locale, run.xml}));
            try {
                work(*lane.compiler, options);
            } catch (...) {
                lane.failure = std::current_exception();
                stopped = true;
            }
            lane.finished = true;
            laneEnded.notify_one();
        }
    };

    std::vector<std::jthread> threads;
    // Released before the threads are joined, however this ends.
    std::unique_lock lock(mutex);
    for (int i = 0; i < jobCount; ++i)
        threads.emplace_back(worker);
    size_t shown = 0;
    // The steps of the IDEs shown in the log so far; the bar counts the others' as they go.
    int relayed = progress_->Done();
    std::exception_ptr failure;
    try {
        while (true) {
            // Each IDE's lines as one block once it ends, the blocks in the jobs' order.
            for (; shown < started && lanes[shown].finished; ++shown) {
                relayed += jobs[shown].steps;
                RelayLane(*lanes[shown].compiler, relayed);
                failure = failure ? failure : lanes[shown].failure;
            }
            std::vector<TIdeAtWork> atWork;
            int done = relayed;
            for (size_t i = shown; i < started; ++i) {
                const int steps = jobs[i].steps;
                const int laneDone = lanes[i].finished ? steps : std::min(lanes[i].compiler->laneSteps_, steps);
                const TCompileTarget& ide = jobs[i].options->Target;
                atWork.push_back({ide.ProductName + " " + ide.VersionText, laneDone, steps});
                done += laneDone;
            }
            progress_->Reach(done);
            progress_->IdesAtWork(std::move(atWork));
            if (shown == started && (stopped || started == jobs.size()))
                break;
            FLog.Idle();
            laneEnded.wait_for(lock, 30ms);
        }
    } catch (...) {
        // The view failed: no IDE starts whose lines nobody would show.
        stopped = true;
        throw;
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TCompiler::RelayLane(const TCompiler& lane, int done)
{
    for (const TLogMessage& message : lane.FLog.Messages)
        FLog.Relay(message);
    // An IDE left unchanged or failed half way has its remaining steps behind it.
    progress_->Reach(done);
}

} // namespace corvalis
