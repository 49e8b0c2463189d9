#include "standins/Bpr2Mak.h"

#include "ide/CmdLineUtils.h"
#include "ide/Utils.h"
#include "platform/Files.h"
#include "standins/CppProject.h"
#include "standins/Makefile.h"

namespace corvalis::standins {

ToolRun RunBpr2Mak(IFileSystem& files, const ILocale&, const std::string& commandLine, const std::string& workingFolder,
                   const std::string&, const Environment& env)
{
    return RunTool(FailureStream::Error, [&](ToolRun& run) {
        run.output = "BPR2MAK stand-in of the Corvalis tests, Version 1.0\r\n";
        const std::vector<std::string> arguments = ParseCommandLine(commandLine);
        if (arguments.size() != 1 || arguments.front().empty() || arguments.front()[0] == '-')
            throw ToolFailure(1, "Error: one project file expected: bpr2mak project.bpk");
        const std::string projectPath = Resolve(files, workingFolder, arguments.front());
        const std::string fileName = ExtractFileName(projectPath);
        if (NamedIn(env, "CORVALIS_BPR2MAK_FAIL", fileName))
            throw ToolFailure(1, "Error: " + fileName + ": failure forced by CORVALIS_BPR2MAK_FAIL");

        run.output += "Loading project file " + projectPath + "\r\n";
        const std::optional<std::string> text = files.ReadFile(projectPath);
        if (!text)
            throw ToolFailure(1, "Error: unable to open project file " + projectPath);
        const CppProject project = CppProject::Parse(*text, fileName);
        if (!project.Value("PROJECT"))
            throw ToolFailure(1, "Error: " + fileName + ": the project names no PROJECT to build");

        const std::string makefilePath = ChangeFileExt(projectPath, ".mak");
        run.output += "Writing makefile " + makefilePath + "\r\n";
        if (!files.WriteFile(makefilePath, WriteMakefile(project, fileName)))
            throw ToolFailure(1, "Error: unable to write " + makefilePath);
    });
}

} // namespace corvalis::standins
