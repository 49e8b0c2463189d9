#include "standins/MemoryStandIns.h"

#include "ide/CmdLineUtils.h"
#include "ide/Utils.h"
#include "platform/memory/MemoryFiles.h"

namespace corvalis::standins {
namespace {

// The program file a command line starts, found as CreateProcess finds it; empty when none.
std::string ProgramFile(const IFileSystem& files, const IProcesses& processes, const std::string& commandLine)
{
    // ParseCommandLine leaves the program name out; a placeholder in front keeps it.
    const std::vector<std::string> words = ParseCommandLine("- " + commandLine);
    if (words.empty())
        return {};
    std::string program = words.front();
    if (ExtractFileExt(program).empty())
        program += ".exe";
    const std::vector<std::string> candidates =
        program.find_first_of("\\:") != std::string::npos
            ? std::vector<std::string>{program}
            : std::vector<std::string>{PathJoin(ExtractFileDir(processes.ExecutablePath()), program),
                                       PathJoin(files.CurrentDirectory(), program)};
    for (const std::string& candidate : candidates)
        if (files.FileExists(candidate))
            return files.FullPath(candidate);
    return {};
}

} // namespace

void InstallStandIn(MemoryPlatform& machine, const std::string& toolPath, Tool tool)
{
    MemoryFiles& files = machine.files;
    MemoryProcesses& processes = machine.processes;
    files.AddFile(toolPath, "stand-in program");
    processes.AddHandler(
        [tool, &machine, toolPath](const std::string& commandLine, const std::string& workingFolder) {
            const std::string program = ProgramFile(machine.files, machine.processes, commandLine);
            if (program.empty() || !SameText(program, machine.files.FullPath(toolPath)))
                return std::optional<ProcessScript>();
            const ToolRun run =
                tool(machine.files, machine.locale, commandLine, workingFolder, program,
                     [&machine](const std::string& name) { return machine.processes.GetEnv(name); });
            ProcessScript script;
            script.finalOutput = run.output;
            script.finalError = run.error;
            script.exitCode = run.exitCode;
            return std::optional<ProcessScript>(script);
        });
}

} // namespace corvalis::standins
