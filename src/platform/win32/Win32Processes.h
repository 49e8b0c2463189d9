#pragma once

#include <cstdint>

#include "platform/Processes.h"

namespace corvalis {

class Win32Processes : public IProcesses {
public:
    // The size of a child's output pipes. The runner reads every 30 ms; a pipe of the
    // system's default size fills long before that with a tool that writes fast, and the tool
    // then waits for the next cycle. This holds what a fast tool writes in a cycle.
    static constexpr uint32_t kPipeBufferSize = 1024 * 1024;

    StartedProcess Start(const std::string& commandLine, const std::string& workingFolder) override;
    std::optional<std::vector<ProcessEntry>> ProcessSnapshot() override;
    std::optional<std::vector<std::string>> ModuleSnapshot(uint32_t processId) override;
    std::optional<std::string> GetEnv(const std::string& name) const override;
    std::string ExecutablePath() const override;
};

} // namespace corvalis
