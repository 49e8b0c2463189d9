#include "platform/memory/MemoryProcesses.h"

#include <algorithm>

#include "platform/PathText.h"

namespace corvalis {
namespace {

class ScriptedChild : public IChildProcess {
public:
    explicit ScriptedChild(ProcessScript script) : script_(std::move(script)) {}

    bool WaitFor(uint32_t) override
    {
        if (next_ < script_.cycles.size()) {
            output_ += script_.cycles[next_].first;
            error_ += script_.cycles[next_].second;
            ++next_;
            return false;
        }
        if (!ended_) {
            ended_ = true;
            if (script_.beforeEnd)
                script_.beforeEnd();
            output_ += script_.finalOutput;
            error_ += script_.finalError;
        }
        return true;
    }

    uint32_t BytesWaiting(Channel channel) override { return static_cast<uint32_t>(Pipe(channel).size()); }

    std::string Read(Channel channel, uint32_t count) override
    {
        std::string& pipe = Pipe(channel);
        if (script_.failedReads > 0) {
            --script_.failedReads;
            return {};
        }
        if (script_.readLimit > 0)
            count = std::min(count, script_.readLimit);
        std::string bytes = pipe.substr(0, count);
        pipe.erase(0, bytes.size());
        return bytes;
    }

    std::optional<int32_t> ExitCode() override { return script_.exitCode; }

private:
    std::string& Pipe(Channel channel) { return channel == Channel::Output ? output_ : error_; }

    ProcessScript script_;
    size_t next_ = 0;
    bool ended_ = false;
    std::string output_;
    std::string error_;
};

} // namespace

StartedProcess MemoryProcesses::Start(const std::string& commandLine, const std::string& workingFolder)
{
    if (failPipes_)
        return {nullptr, StartFailure::Pipe};
    for (const Handler& handler : handlers_) {
        if (std::optional<ProcessScript> script = handler(commandLine, workingFolder)) {
            started_.push_back({commandLine, workingFolder});
            if (endGate_)
                script->beforeEnd = [gate = endGate_, commandLine] { gate(commandLine); };
            return {std::make_unique<ScriptedChild>(std::move(*script)), StartFailure::None};
        }
    }
    return {nullptr, StartFailure::Launch};
}

std::optional<std::vector<ProcessEntry>> MemoryProcesses::ProcessSnapshot()
{
    if (failSnapshots_)
        return std::nullopt;
    return processes_;
}

std::optional<std::vector<std::string>> MemoryProcesses::ModuleSnapshot(uint32_t processId)
{
    if (failSnapshots_ || !modules_.count(processId))
        return std::nullopt;
    return modules_[processId];
}

uint32_t MemoryProcesses::AddRunningProcess(const std::string& exeFile, const std::vector<std::string>& modules)
{
    const uint32_t id = static_cast<uint32_t>(processes_.size() + 100) * 4;
    processes_.push_back({id, exeFile});
    modules_[id] = modules;
    return id;
}

std::optional<std::string> MemoryProcesses::GetEnv(const std::string& name) const
{
    for (const auto& [n, value] : environment_)
        if (SameName(n, name))
            return value;
    return std::nullopt;
}

void MemoryProcesses::SetEnv(const std::string& name, const std::string& value)
{
    UnsetEnv(name);
    environment_.emplace_back(name, value);
}

void MemoryProcesses::UnsetEnv(const std::string& name)
{
    std::erase_if(environment_, [&](const auto& e) { return SameName(e.first, name); });
}

} // namespace corvalis
