#include "standins/Unrar.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "ide/CmdLineUtils.h"
#include "ide/Utils.h"
#include "platform/Files.h"
#include "standins/Tar.h"

namespace corvalis::standins {
namespace {

constexpr std::array<const char*, 10> kArguments = {"x",   "-c-", "-cfg-", "-dh",      "-idp",
                                                    "-o+", "-r",  "-y",    "data.arc", "*.*"};

constexpr int32_t kCorrupt = 3;
constexpr int32_t kOpenError = 6;
constexpr int32_t kOptionError = 7;
constexpr int32_t kCreateError = 9;

// The destination folder, when the arguments are exactly the installer's.
std::string Destination(const std::vector<std::string>& arguments)
{
    const bool expected = arguments.size() == kArguments.size() + 1 &&
                          std::equal(kArguments.begin(), kArguments.end(), arguments.begin()) &&
                          arguments.back().size() > 1 && arguments.back().back() == '\\';
    if (!expected) {
        std::string list;
        for (const std::string& argument : arguments)
            list += " [" + argument + "]";
        throw ToolFailure(kOptionError, "ERROR: Command line option error:" + list);
    }
    return arguments.back();
}

void Extract(IFileSystem& files, const std::string& workingFolder, const std::string& destination, ToolRun& run)
{
    const std::string archivePath = Resolve(files, workingFolder, "data.arc");
    const std::optional<std::string> archive = files.ReadFile(archivePath);
    if (!archive)
        throw ToolFailure(kOpenError, "Cannot open " + archivePath);
    const std::optional<std::vector<TarEntry>> entries = ReadTar(*archive);
    if (!entries)
        throw ToolFailure(kCorrupt, archivePath + ": the archive is corrupt");

    run.output += "\r\nExtracting from " + archivePath + "\r\n\r\n";
    const std::string root = Resolve(files, workingFolder, destination);
    if (!files.ForceDirectories(root))
        throw ToolFailure(kCreateError, "Cannot create folder " + root);
    for (const TarEntry& entry : *entries) {
        std::string name = entry.name;
        std::replace(name.begin(), name.end(), '/', '\\');
        const std::string path = PathJoin(root, name);
        if (entry.directory) {
            if (!files.ForceDirectories(path))
                throw ToolFailure(kCreateError, "Cannot create folder " + path);
            run.output += "Creating    " + path + "  OK\r\n";
        } else {
            if (!files.ForceDirectories(ExtractFileDir(path)) || !files.WriteFile(path, entry.content))
                throw ToolFailure(kCreateError, "Cannot create " + path);
            run.output += "Extracting  " + path + "  OK\r\n";
        }
    }
    run.output += "All OK\r\n";
}

} // namespace

ToolRun RunUnrar(IFileSystem& files, const ILocale&, const std::string& commandLine, const std::string& workingFolder,
                 const std::string&, const Environment& env)
{
    ToolRun run = RunTool(FailureStream::Error, [&](ToolRun& r) {
        r.output = "\r\nUNRAR stand-in of the Corvalis tests\r\n";
        Extract(files, workingFolder, Destination(ParseCommandLine(commandLine)), r);
    });
    if (const std::optional<std::string> forced = env("CORVALIS_UNRAR_EXIT")) {
        int32_t code = 0;
        const auto [end, error] = std::from_chars(forced->data(), forced->data() + forced->size(), code);
        if (error == std::errc() && end == forced->data() + forced->size())
            run.exitCode = code;
    }
    return run;
}

} // namespace corvalis::standins
