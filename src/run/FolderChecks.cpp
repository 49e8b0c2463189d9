#include "run/FolderChecks.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "core/ShellIntegration.h"
#include "ide/Utils.h"

namespace corvalis {
namespace {

// The characters of a path that every Windows and the IDEs' tools take.
constexpr size_t kMaxPath = 259;
// Room below the installation folder for the product's deepest files.
constexpr size_t kProductDepth = 100;

constexpr const char* kReservedNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};

// A full path as Windows resolves it: its drive ("C:") or share ("\\server\share"), and
// its folder levels.
struct TResolvedPath {
    std::string root;
    std::vector<std::string> levels;
};

std::string Slashed(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::optional<TResolvedPath> Resolve(const std::string& folder)
{
    const std::string path = Slashed(folder);
    size_t rootEnd = 0;
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\') {
        rootEnd = 2;
    } else if (path.starts_with("\\\\")) {
        const size_t server = path.find('\\', 2);
        if (server == std::string::npos || server == 2)
            return std::nullopt;
        rootEnd = std::min(path.find('\\', server + 1), path.size());
        if (rootEnd == server + 1)
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    TResolvedPath resolved{path.substr(0, rootEnd), {}};
    for (const std::string& level : SplitString(path.substr(rootEnd), '\\')) {
        if (level == "..") {
            if (!resolved.levels.empty())
                resolved.levels.pop_back();
        } else if (!level.empty() && level != ".") {
            resolved.levels.push_back(level);
        }
    }
    return resolved;
}

bool HasForbiddenCharacter(const std::string& text, const std::string& forbidden)
{
    return std::any_of(text.begin(), text.end(), [&](char c) {
        return static_cast<unsigned char>(c) < ' ' || forbidden.find(c) != std::string::npos;
    });
}

// "CON", "nul.txt", "COM1 .log": a device, whatever follows the name.
bool IsReservedName(const std::string& level)
{
    std::string name = UpperCase(level.substr(0, level.find('.')));
    name.erase(name.find_last_not_of(' ') + 1);
    const bool numbered = name.size() == 4 && (name.starts_with("COM") || name.starts_with("LPT")) &&
                          std::isdigit(static_cast<unsigned char>(name[3]));
    return numbered || std::any_of(std::begin(kReservedNames), std::end(kReservedNames),
                                   [&](const char* reserved) { return name == reserved; });
}

std::optional<std::string> LevelProblem(const std::string& level)
{
    if (IsReservedName(level))
        return "holds the name " + level + ", which Windows reserves for a device";
    if (level.back() == '.' || level.back() == ' ')
        return "holds a folder name ending in a dot or a blank, which Windows drops";
    return std::nullopt;
}

std::string Joined(const TResolvedPath& path)
{
    std::string joined = path.root;
    for (const std::string& level : path.levels)
        joined += "\\" + level;
    return joined;
}

} // namespace

std::optional<std::string> InstallDirProblem(const std::string& folder)
{
    const auto problem = [&](const std::string& reason) { return "The installation folder " + reason + ": " + folder; };
    if (folder.find('"') != std::string::npos)
        return problem("must not contain a double quote");
    const std::string path = Slashed(folder);
    if (path.starts_with("\\\\.\\") || path.starts_with("\\\\?\\"))
        return problem("must not be a device path");
    const std::optional<TResolvedPath> resolved = Resolve(folder);
    if (!resolved)
        return problem("must be a full path, such as C:\\Program Files\\Halvorn\\Corvalis");
    if (HasForbiddenCharacter(path.substr(2), "<>:|?*"))
        return problem("holds a character Windows does not allow in a folder name");
    if (path.find(';') != std::string::npos || path.find("$(") != std::string::npos)
        return problem("must not contain \";\" or \"$(\", which the IDEs' path lists take as a separator or a macro");
    if (resolved->levels.empty())
        return problem("cannot be the root of a drive or a share");
    for (const std::string& level : resolved->levels)
        if (const auto reason = LevelProblem(level))
            return problem(*reason);
    if (Joined(*resolved).size() + 1 + kProductDepth > kMaxPath)
        return problem("is longer than " + std::to_string(kMaxPath - 1 - kProductDepth) +
                       " characters, which leaves the product's files too little room below it");
    return std::nullopt;
}

std::string FullInstallDir(const std::string& folder)
{
    const std::optional<TResolvedPath> resolved = Resolve(folder);
    return resolved ? Joined(*resolved) : folder;
}

std::optional<std::string> StartFolderProblem(const std::string& group, const std::string& programsFolder)
{
    const auto problem = [&](const std::string& reason) { return "The Start-menu group " + reason + ": " + group; };
    if (group.find('"') != std::string::npos)
        return problem("must not contain a double quote");
    if (HasForbiddenCharacter(group, "<>:|?*/"))
        return problem("holds a character Windows does not allow in a folder name");
    for (const std::string& level : SplitString(group, '\\')) {
        if (!NamesOwnFolder(level))
            return problem("must be a folder below the Programs menu, such as Halvorn\\Corvalis VCL Edition");
        if (const auto reason = LevelProblem(level))
            return problem(*reason);
    }
    if (PathJoin(programsFolder, group).size() + 1 + LongestShortcutName() > kMaxPath)
        return problem("is too long for its shortcuts' paths");
    return std::nullopt;
}

} // namespace corvalis
