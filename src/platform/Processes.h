#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvalis {

enum class Channel { Output, Error };

// A started child whose standard output and error arrive through two pipes.
// Destroying it releases the pipes and the process handle; it does not end the child.
class IChildProcess {
public:
    virtual ~IChildProcess() = default;
    // True when the child has ended within the time-out.
    virtual bool WaitFor(uint32_t milliseconds) = 0;
    // Bytes waiting in the channel's pipe, without removing them; 0 when the query fails.
    virtual uint32_t BytesWaiting(Channel channel) = 0;
    // Reads up to count bytes; returns what was actually read.
    virtual std::string Read(Channel channel, uint32_t count) = 0;
    // nullopt when the system cannot tell it.
    virtual std::optional<int32_t> ExitCode() = 0;
};

enum class StartFailure { None, Pipe, Launch };

struct StartedProcess {
    std::unique_ptr<IChildProcess> child; // null on failure
    StartFailure failure = StartFailure::None;
};

struct ProcessEntry {
    uint32_t id = 0;
    std::string exeFile; // file name without folder
};

class IProcesses {
public:
    virtual ~IProcesses() = default;

    // Starts a command line hidden, in the working folder, with the installer's own
    // standard input and environment.
    virtual StartedProcess Start(const std::string& commandLine, const std::string& workingFolder) = 0;

    // nullopt when a snapshot cannot be taken.
    virtual std::optional<std::vector<ProcessEntry>> ProcessSnapshot() = 0;
    // The full paths of the process's modules; only its executable's for a process whose
    // modules this program cannot list (a 64-bit one, from the 32-bit build).
    virtual std::optional<std::vector<std::string>> ModuleSnapshot(uint32_t processId) = 0;

    // The installer's own environment; nullopt for an undefined variable.
    virtual std::optional<std::string> GetEnv(const std::string& name) const = 0;
    virtual std::string ExecutablePath() const = 0;
};

} // namespace corvalis
