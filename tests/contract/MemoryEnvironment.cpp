#include "contract/ServiceEnvironment.h"
#include "ide/CmdLineUtils.h"
#include "log/uLogger.h"
#include "platform/memory/MemoryPlatform.h"
#include "tools/ChildScript.h"

namespace corvalis::testing {
namespace {

const std::string kChildProgram = "C:\\tests\\tproc.exe";
const std::string kSelf = "C:\\tests\\corvalis_tests.exe";

// Replays the test child program's actions as a script: each write is one polling cycle.
std::optional<ProcessScript> ReplayChild(const std::string& commandLine, const std::string& workingFolder)
{
    if (commandLine.rfind("\"" + kChildProgram + "\"", 0) != 0)
        return std::nullopt;
    ProcessScript script;
    for (const ChildAction& action : ParseChildActions(ParseCommandLine(commandLine))) {
        switch (action.kind) {
        case ChildAction::Output: script.cycles.emplace_back(action.text, ""); break;
        case ChildAction::Error: script.cycles.emplace_back("", action.text); break;
        case ChildAction::WorkingFolder: script.cycles.emplace_back(workingFolder + "\r\n", ""); break;
        case ChildAction::Exit: script.exitCode = action.number; break;
        case ChildAction::Lines: {
            std::string lines;
            for (int32_t i = 0; i < action.number; ++i)
                lines += action.text;
            script.cycles.emplace_back(lines, "");
            break;
        }
        }
    }
    return script;
}

class MemoryEnvironment : public ServiceEnvironment {
public:
    MemoryEnvironment()
    {
        machine_.files.AddFile(kChildProgram);
        machine_.files.AddFile(kSelf);
        machine_.processes.SetExecutablePath(kSelf);
        machine_.processes.AddRunningProcess("explorer.exe", {"C:\\windows\\explorer.exe"});
        // Another run of the same test program, then this one.
        machine_.processes.AddRunningProcess("corvalis_tests.exe", {kSelf});
        selfId_ =
            machine_.processes.AddRunningProcess("corvalis_tests.exe", {kSelf, "C:\\windows\\system32\\kernel32.dll"});
        machine_.processes.SetEnv("PATH", "C:\\windows\\system32;C:\\windows");
        machine_.processes.AddHandler(ReplayChild);
    }

    Platform& Services() override { return machine_.platform; }

    std::string ScratchFolder() override
    {
        const std::string folder = "C:\\scratch\\test" + std::to_string(++scratchCount_);
        machine_.files.ForceDirectories(folder);
        return folder;
    }

    std::string ScratchKey() override { return "Software\\CorvalisTests\\scratch"; }
    std::string ChildCommand(const std::string& actions) override { return "\"" + kChildProgram + "\" " + actions; }
    std::string CoreIdeModule() override
    {
        const std::string module = "C:\\tests\\coreide100.bpl";
        machine_.files.AddFile(module, "MZ");
        machine_.files.SetFileVersion(module, {"11.0.2709.7128", {11, 0, 2709, 7128}});
        machine_.locale.AddStringResource(module, 64431, "Borland Studio-Projekte");
        return module;
    }

    uint32_t SelfProcessId() override { return selfId_; }
    std::string SelfPath() override { return kSelf; }

    IConsole& ConsoleWithInput(const std::string& input) override
    {
        std::string pending = input;
        for (const std::string& line : TakeCompleteLines(pending))
            machine_.console.AddInput(line);
        return machine_.console;
    }

    std::string ConsoleOutput() override
    {
        std::string output;
        for (const std::string& line : machine_.console.Lines())
            output += line + "\r\n";
        return output;
    }

private:
    MemoryPlatform machine_;
    uint32_t selfId_ = 0;
    int scratchCount_ = 0;
};

} // namespace

std::unique_ptr<ServiceEnvironment> MakeMemoryEnvironment()
{
    return std::make_unique<MemoryEnvironment>();
}

} // namespace corvalis::testing
