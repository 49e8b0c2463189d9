#include "standins/Make.h"

#include "ide/CmdLineUtils.h"
#include "ide/Utils.h"
#include "platform/Files.h"
#include "standins/Makefile.h"

namespace corvalis::standins {
namespace {

std::string MakefileArgument(const std::vector<std::string>& arguments)
{
    if (arguments.size() == 1 && arguments[0].size() > 2 && arguments[0].rfind("-f", 0) == 0)
        return arguments[0].substr(2);
    throw ToolFailure(1, "Fatal: one makefile expected: make -fproject.mak");
}

class Build {
public:
    Build(IFileSystem& files, const std::string& workingFolder, const std::string& toolPath, const Environment& env,
          ToolRun& run)
        : files_(files), workingFolder_(workingFolder), toolPath_(toolPath), env_(env), run_(run)
    {
    }

    void Run(const std::string& commandLine)
    {
        run_.output = "MAKE stand-in of the Corvalis tests, Version 1.0\r\n";
        makefilePath_ = Resolve(files_, workingFolder_, MakefileArgument(ParseCommandLine(commandLine)));
        const std::string fileName = ExtractFileName(makefilePath_);
        if (NamedIn(env_, "CORVALIS_MAKE_FAIL", fileName))
            throw ToolFailure(1, "Fatal: " + fileName + ": failure forced by CORVALIS_MAKE_FAIL");
        const std::optional<std::string> text = files_.ReadFile(makefilePath_);
        if (!text)
            throw ToolFailure(1, "Fatal: Unable to open makefile " + makefilePath_);
        makefile_ = Makefile::Parse(*text);
        if (makefile_.target.empty())
            throw ToolFailure(1, "Fatal: " + fileName + " has no rule to make");

        const std::string target = Path(Expand(makefile_.target));
        for (const std::string& object : SplitList(Expand(makefile_.dependencies), ' '))
            MakeObject(Path(object), target);
        Link(target);
    }

private:
    std::string Path(const std::string& path) const { return Resolve(files_, workingFolder_, path); }

    std::string Expand(const std::string& text) const
    {
        return ExpandMacros(text, [&](const std::string& name) -> std::optional<std::string> {
            if (name == "MAKEDIR")
                return ExtractFileDir(toolPath_);
            for (auto macro = makefile_.macros.rbegin(); macro != makefile_.macros.rend(); ++macro)
                if (macro->name == name)
                    return Expand(macro->value);
            return std::string();
        });
    }

    std::vector<std::string> List(const char* macro) const
    {
        return SplitList(Expand("$(" + std::string(macro) + ")"), ' ');
    }

    void MakeObject(const std::string& object, const std::string& target)
    {
        const std::string stem = ChangeFileExt(ExtractFileName(object), "");
        for (const char* sources : {"PASFILES", "CPPFILES"}) {
            for (const std::string& source : List(sources)) {
                const std::string path = Path(source);
                if (!SameText(ChangeFileExt(ExtractFileName(path), ""), stem) || !files_.FileExists(path))
                    continue;
                run_.output += "Compiling " + path + "\r\n";
                Write(object, "Object " + stem, path);
                if (SameText(ExtractFileExt(path), ".pas"))
                    Write(PathJoin(ExtractFileDir(target), stem + ".hpp"), "Header " + stem, path);
                return;
            }
        }
        if (!files_.FileExists(object))
            throw ToolFailure(1, "Fatal: '" + object + "' does not exist - don't know how to make it");
    }

    void Link(const std::string& target)
    {
        std::vector<std::string> folders;
        for (const std::string& folder : SplitList(Expand("$(LIBPATH)"), ';'))
            folders.push_back(Path(folder));
        folders.push_back(PathJoin(ExtractFileDir(ExtractFileDir(toolPath_)), "Lib"));
        for (const std::string& package : List("PACKAGES"))
            if (!FindInFolders(files_, folders, package))
                throw ToolFailure(1, "Fatal: Unable to open file '" + package + "'");

        run_.output += "Linking " + target + "\r\n";
        const std::string what = "Package " + ChangeFileExt(ExtractFileName(target), "");
        for (const char* extension : {".bpl", ".bpi", ".lib"})
            Write(ChangeFileExt(target, extension), what, makefilePath_);
        Write(PathJoin(workingFolder_, ChangeFileExt(ExtractFileName(target), ".tds")), "Debug symbols", makefilePath_);
    }

    void Write(const std::string& path, const std::string& what, const std::string& from)
    {
        if (!WriteOutput(files_, path, what + ", made by the make stand-in from " + from + "\r\n"))
            throw ToolFailure(1, "Fatal: Unable to create file '" + path + "'");
    }

    IFileSystem& files_;
    const std::string& workingFolder_;
    const std::string& toolPath_;
    const Environment& env_;
    ToolRun& run_;
    std::string makefilePath_;
    Makefile makefile_;
};

} // namespace

ToolRun RunMake(IFileSystem& files, const ILocale&, const std::string& commandLine, const std::string& workingFolder,
                const std::string& toolPath, const Environment& env)
{
    return RunTool(FailureStream::Error,
                   [&](ToolRun& run) { Build(files, workingFolder, toolPath, env, run).Run(commandLine); });
}

} // namespace corvalis::standins
