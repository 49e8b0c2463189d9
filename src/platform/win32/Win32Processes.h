#pragma once

#include "platform/Processes.h"

namespace corvalis {

class Win32Processes : public IProcesses {
public:
    StartedProcess Start(const std::string& commandLine, const std::string& workingFolder) override;
    std::optional<std::vector<ProcessEntry>> ProcessSnapshot() override;
    std::optional<std::vector<std::string>> ModuleSnapshot(uint32_t processId) override;
    std::optional<std::string> GetEnv(const std::string& name) const override;
    std::string ExecutablePath() const override;
};

} // namespace corvalis
