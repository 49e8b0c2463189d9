#pragma once

// What every stand-in for an outside tool shares: how it is called, what it hands back and
// the few text rules the tools have in common.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvalis {
class IFileSystem;
class ILocale;
}

namespace corvalis::standins {

// A variable of the tool's environment; nullopt when it is undefined.
using Environment = std::function<std::optional<std::string>(const std::string& name)>;

struct ToolRun {
    int32_t exitCode = 0;
    std::string output; // standard output
    std::string error;  // standard error
};

// One tool: the files it works on, the system's code pages, its command line as its process
// got it (program first), its working folder, the full path of its own executable and its
// environment. The texts are the program's UTF-8: those of a tool that reads the system code
// page only have come through it.
using Tool = ToolRun (*)(IFileSystem& files, const ILocale& locale, const std::string& commandLine,
                         const std::string& workingFolder, const std::string& toolPath, const Environment& env);

// Ends a tool: its message is the tool's last output, the code its exit code.
class ToolFailure : public std::runtime_error {
public:
    ToolFailure(int32_t exitCode, const std::string& message) : std::runtime_error(message), exitCode_(exitCode) {}
    int32_t ExitCode() const { return exitCode_; }

private:
    int32_t exitCode_;
};

enum class FailureStream { Output, Error };

// Runs a tool's body; a ToolFailure it throws ends the run with the failure's code, its
// message written as one line to the given stream.
ToolRun RunTool(FailureStream stream, const std::function<void(ToolRun& run)>& body);

// The path made absolute against folder, with "." and ".." resolved.
std::string Resolve(const IFileSystem& files, const std::string& folder, const std::string& path);

// The entries of a list separated by separator, trimmed, without empty entries.
std::vector<std::string> SplitList(const std::string& text, char separator);

// Failure injection: true when the variable holds this file name in its ';'-separated list
// (compared without regard to case), or holds "*".
bool NamedIn(const Environment& env, const std::string& variable, const std::string& fileName);

// Replaces every $(NAME) that lookup knows; the others stay as written.
std::string ExpandMacros(const std::string& text,
                         const std::function<std::optional<std::string>(const std::string& name)>& lookup);

// Writes an output file, into an existing folder only: the real tools create none. False
// when the folder is missing or the file cannot be written.
bool WriteOutput(IFileSystem& files, const std::string& path, const std::string& content);

// The first existing file name in the folders, in order; nullopt when none holds it.
std::optional<std::string> FindInFolders(const IFileSystem& files, const std::vector<std::string>& folders,
                                         const std::string& fileName);

} // namespace corvalis::standins
