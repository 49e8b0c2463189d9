#include "standins/Dcc32.h"

#include <chrono>
#include <cstdio>

#include "ide/CmdLineUtils.h"
#include "ide/Utils.h"
#include "platform/Files.h"
#include "platform/Locale.h"
#include "standins/Dcc32Options.h"
#include "standins/PackageSource.h"

namespace corvalis::standins {
namespace {

struct Compiler {
    const char* name;
    const char* platform;
    const char* configFile;
};

constexpr Compiler kDcc32 = {"dcc32", "Win32", "dcc32.cfg"};
constexpr Compiler kDcc64 = {"dcc64", "Win64", "dcc64.cfg"};

std::string Joined(const std::vector<PackageSource::Item>& items)
{
    std::string text;
    for (const PackageSource::Item& item : items)
        text += (text.empty() ? "" : ", ") + item.name;
    return text;
}

std::string SourceArgument(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1 || !SameText(ExtractFileExt(arguments.front()), ".dpk"))
        throw ToolFailure(1, "Fatal: one package source (.dpk) expected");
    return arguments.front();
}

class Compilation {
public:
    Compilation(const Compiler& compiler, IFileSystem& files, const ILocale& locale, const std::string& workingFolder,
                const std::string& toolPath, const Environment& env, ToolRun& run)
        : compiler_(compiler), files_(files), locale_(locale), workingFolder_(workingFolder), toolPath_(toolPath),
          env_(env), run_(run)
    {
    }

    void Run(const std::string& commandLine)
    {
        const auto started = std::chrono::steady_clock::now();
        run_.output = "Pascal package compiler stand-in of the Corvalis tests, Version 1.0\r\n";
        source_ = Resolve(files_, workingFolder_, SourceArgument(ParseCommandLine(commandLine)));
        fileName_ = ExtractFileName(source_);
        const std::string failures = "CORVALIS_" + UpperCase(compiler_.name) + "_FAIL";
        if (NamedIn(env_, failures, fileName_))
            throw ToolFailure(1, fileName_ + "(1) Fatal: failure forced by " + failures);
        ReadOptions();

        const std::optional<std::string> text = files_.ReadFile(source_);
        if (!text)
            throw ToolFailure(1, "Fatal: File not found: '" + fileName_ + "'");
        const PackageSource package = PackageSource::Parse(*text, fileName_);
        const std::string stem = ChangeFileExt(fileName_, "");
        if (!SameText(package.name, stem))
            Fail(1, "Error: package name '" + package.name + "' does not match the file name");
        run_.output += source_ + "(" + std::to_string(package.lines) + ")\r\n";

        FindRequiredPackages(package);
        for (const PackageSource::Item& unit : package.units)
            ownUnits_.push_back(unit.name);
        int lines = package.lines;
        for (const PackageSource::Item& unit : package.units)
            lines += CompileUnit(unit);
        LinkPackage(package, stem);

        char summary[64];
        std::snprintf(summary, sizeof summary, "%d lines, %.2f seconds.\r\n", lines,
                      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        run_.output += summary;
    }

private:
    [[noreturn]] void Fail(int line, const std::string& message) const
    {
        throw ToolFailure(1, fileName_ + "(" + std::to_string(line) + ") " + message);
    }

    void ReadOptions()
    {
        if (const std::optional<std::string> text = files_.ReadFile(PathJoin(workingFolder_, compiler_.configFile)))
            options_.ApplyConfig(locale_.AnsiToUtf8(*text));
        for (const std::string& folder : options_.unitPaths)
            unitFolders_.push_back(Folder(folder));
        const std::string lib = PathJoin(ExtractFileDir(ExtractFileDir(toolPath_)), "Lib");
        const std::string platformLib = PathJoin(lib, std::string(compiler_.platform) + "\\release");
        checksUsedUnits_ = files_.DirectoryExists(platformLib);
        libraryFolder_ = checksUsedUnits_ ? platformLib : lib;
    }

    // A compiled file says which platform it is for; one for another platform is refused.
    void CheckPlatform(const std::string& path, const std::string& file, int line, const std::string& name) const
    {
        const std::string text = files_.ReadFile(path).value_or("");
        const size_t mark = text.find("for Win");
        if (mark == std::string::npos)
            return;
        const std::string platform = text.substr(mark + 4, 5);
        if (platform != compiler_.platform)
            throw ToolFailure(1, file + "(" + std::to_string(line) + ") Fatal: '" + name + "' is compiled for " +
                                     platform + ", not for " + compiler_.platform);
    }

    // A folder of the configuration, absolute; "fallback" when the switch was not given.
    std::string Folder(const std::string& folder, const std::string& fallback = {}) const
    {
        if (folder.empty())
            return fallback;
        return Resolve(files_, workingFolder_, folder);
    }

    void FindRequiredPackages(const PackageSource& package) const
    {
        std::vector<std::string> folders = unitFolders_;
        if (!options_.dcpOutput.empty())
            folders.push_back(Folder(options_.dcpOutput));
        folders.push_back(libraryFolder_);
        for (const PackageSource::Item& required : package.requiredPackages) {
            const std::string file = required.name + ".dcp";
            const auto found = FindInFolders(files_, folders, file);
            if (!found)
                Fail(required.line, "Fatal: File not found: '" + file + "'");
            CheckPlatform(*found, fileName_, required.line, file);
        }
    }

    // The units a unit uses: its package's own, or compiled ones, found by their name or
    // by a unit scope and their name.
    void FindUsedUnits(const std::string& path, const std::string& text)
    {
        if (!checksUsedUnits_)
            return;
        std::vector<std::string> folders = unitFolders_;
        folders.push_back(libraryFolder_);
        const std::string file = ExtractFileName(path);
        for (const PackageSource::Item& used : UsedUnits(text, file)) {
            if (ContainsText(ownUnits_, used.name))
                continue;
            std::optional<std::string> found = FindInFolders(files_, folders, used.name + ".dcu");
            for (size_t i = 0; !found && i < options_.unitScopes.size(); ++i)
                found = FindInFolders(files_, folders, options_.unitScopes[i] + "." + used.name + ".dcu");
            if (!found)
                throw ToolFailure(1, file + "(" + std::to_string(used.line) + ") Fatal: File not found: '" + used.name +
                                         ".dcu'");
            CheckPlatform(*found, file, used.line, ExtractFileName(*found));
        }
    }

    // The lines compiled: 0 for a unit taken precompiled.
    int CompileUnit(const PackageSource::Item& unit)
    {
        std::optional<std::string> path;
        if (!unit.path.empty()) {
            const std::string named = Resolve(files_, ExtractFileDir(source_), unit.path);
            if (files_.FileExists(named))
                path = named;
        }
        if (!path)
            path = FindInFolders(files_, unitFolders_, unit.name + ".pas");
        if (!path) {
            if (const auto compiled = FindInFolders(files_, unitFolders_, unit.name + ".dcu")) {
                CheckPlatform(*compiled, fileName_, unit.line, unit.name + ".dcu");
                return 0;
            }
            Fail(unit.line, "Fatal: File not found: '" + (unit.path.empty() ? unit.name + ".pas" : unit.path) + "'");
        }
        const std::string text = files_.ReadFile(*path).value_or("");
        FindUsedUnits(*path, text);
        const int lines = CountLines(text);
        run_.output += *path + "(" + std::to_string(lines) + ")\r\n";

        const std::string dcuFolder = Folder(options_.dcuOutput, ExtractFileDir(*path));
        Write(PathJoin(dcuFolder, unit.name + ".dcu"), "Unit " + unit.name, *path);
        if (options_.cppBuilderFiles) {
            Write(PathJoin(Folder(options_.hppOutput, dcuFolder), unit.name + ".hpp"), "Header " + unit.name, *path);
            Write(PathJoin(Folder(options_.objOutput, dcuFolder), unit.name + ".obj"), "Object " + unit.name, *path);
        }
        return lines;
    }

    void LinkPackage(const PackageSource& package, const std::string& stem)
    {
        const std::string sourceFolder = ExtractFileDir(source_);
        const std::string dcpFolder = Folder(options_.dcpOutput, sourceFolder);
        const std::string what = "Package " + stem + " (requires " + Joined(package.requiredPackages) + "; contains " +
                                 Joined(package.units) + ")";
        Write(PathJoin(Folder(options_.bplOutput, sourceFolder), stem + ".bpl"), what, source_);
        Write(PathJoin(dcpFolder, stem + ".dcp"), what, source_);
        if (options_.cppBuilderFiles) {
            const std::string bpiFolder = Folder(options_.bpiOutput, dcpFolder);
            Write(PathJoin(bpiFolder, stem + ".bpi"), what, source_);
            Write(PathJoin(bpiFolder, stem + ".lib"), what, source_);
        }
    }

    void Write(const std::string& path, const std::string& what, const std::string& from)
    {
        if (!WriteOutput(files_, path,
                         what + ", compiled for " + compiler_.platform + " by the " + compiler_.name +
                             " stand-in from " + from + "\r\n"))
            throw ToolFailure(1, "Fatal: Could not create output file '" + path + "'");
    }

    const Compiler& compiler_;
    IFileSystem& files_;
    const ILocale& locale_;
    const std::string& workingFolder_;
    const std::string& toolPath_;
    const Environment& env_;
    ToolRun& run_;
    Dcc32Options options_;
    std::string source_;
    std::string fileName_;
    std::vector<std::string> unitFolders_;
    std::string libraryFolder_;
    bool checksUsedUnits_ = false; // the compilers of XE and later
    std::vector<std::string> ownUnits_;
};

ToolRun Run(const Compiler& compiler, IFileSystem& files, const ILocale& locale, const std::string& commandLine,
            const std::string& workingFolder, const std::string& toolPath, const Environment& env)
{
    return RunTool(FailureStream::Output, [&](ToolRun& run) {
        Compilation(compiler, files, locale, workingFolder, toolPath, env, run).Run(commandLine);
    });
}

} // namespace

ToolRun RunDcc32(IFileSystem& files, const ILocale& locale, const std::string& commandLine, const std::string& workingFolder,
                 const std::string& toolPath, const Environment& env)
{
    return Run(kDcc32, files, locale, commandLine, workingFolder, toolPath, env);
}

ToolRun RunDcc64(IFileSystem& files, const ILocale& locale, const std::string& commandLine,
                 const std::string& workingFolder, const std::string& toolPath, const Environment& env)
{
    return Run(kDcc64, files, locale, commandLine, workingFolder, toolPath, env);
}

} // namespace corvalis::standins
