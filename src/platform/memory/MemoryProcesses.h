#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace corvalis {

// What a scripted child prints: one (output, error) pair per polling cycle while it runs,
// then what it prints right before it ends.
struct ProcessScript {
    std::vector<std::pair<std::string, std::string>> cycles;
    std::string finalOutput;
    std::string finalError;
    std::optional<int32_t> exitCode = 0; // nullopt: the system cannot tell it
    uint32_t readLimit = 0;              // > 0: a read returns at most this many bytes
    uint32_t failedReads = 0;            // the first reads return nothing, whatever is waiting
    // Called once as the child is about to end, on the thread that waits for it.
    std::function<void()> beforeEnd;
};

// Children are scripted by handlers that recognise their command line: the first handler
// that returns a script starts the child, and may act on the fakes meanwhile (a stand-in
// compiler writes its output files). No handler: the program cannot be started.
class MemoryProcesses : public IProcesses {
public:
    using Handler =
        std::function<std::optional<ProcessScript>(const std::string& commandLine, const std::string& workingFolder)>;
    struct Started {
        std::string commandLine;
        std::string workingFolder;
    };

    StartedProcess Start(const std::string& commandLine, const std::string& workingFolder) override;
    std::optional<std::vector<ProcessEntry>> ProcessSnapshot() override;
    std::optional<std::vector<std::string>> ModuleSnapshot(uint32_t processId) override;
    std::optional<std::string> GetEnv(const std::string& name) const override;
    std::string ExecutablePath() const override { return executablePath_; }

    void AddHandler(Handler handler) { handlers_.push_back(std::move(handler)); }
    // Every child started from now on calls it with its command line as it is about to end:
    // a test holds children there to choose the order in which they end.
    void SetEndGate(std::function<void(const std::string& commandLine)> gate) { endGate_ = std::move(gate); }
    void FailPipes(bool fail) { failPipes_ = fail; }
    const std::vector<Started>& StartedProcesses() const { return started_; }

    // Returns the new process's id.
    uint32_t AddRunningProcess(const std::string& exeFile, const std::vector<std::string>& modules);
    void FailSnapshots(bool fail) { failSnapshots_ = fail; }

    void SetEnv(const std::string& name, const std::string& value);
    void UnsetEnv(const std::string& name);
    void SetExecutablePath(const std::string& path) { executablePath_ = path; }

private:
    std::vector<Handler> handlers_;
    std::function<void(const std::string&)> endGate_;
    std::vector<Started> started_;
    bool failPipes_ = false;
    std::vector<ProcessEntry> processes_;
    std::map<uint32_t, std::vector<std::string>> modules_;
    bool failSnapshots_ = false;
    std::vector<std::pair<std::string, std::string>> environment_;
    std::string executablePath_ = "C:\\Setup\\setup.exe";
};

} // namespace corvalis
