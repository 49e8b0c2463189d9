#include "standins/StandIn.h"

#include "ide/Utils.h"
#include "platform/Files.h"

namespace corvalis::standins {

ToolRun RunTool(FailureStream stream, const std::function<void(ToolRun& run)>& body)
{
    ToolRun run;
    try {
        body(run);
    } catch (const ToolFailure& failure) {
        (stream == FailureStream::Output ? run.output : run.error) += std::string(failure.what()) + "\r\n";
        run.exitCode = failure.ExitCode();
    }
    return run;
}

std::string Resolve(const IFileSystem& files, const std::string& folder, const std::string& path)
{
    const bool absolute =
        (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
    return files.FullPath(absolute ? path : PathJoin(folder, path));
}

std::vector<std::string> SplitList(const std::string& text, char separator)
{
    std::vector<std::string> entries;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        const std::string entry = Trim(text.substr(start, end - start));
        if (!entry.empty())
            entries.push_back(entry);
        start = end + 1;
    }
    return entries;
}

bool NamedIn(const Environment& env, const std::string& variable, const std::string& fileName)
{
    const std::optional<std::string> value = env(variable);
    if (!value)
        return false;
    for (const std::string& entry : SplitList(*value, ';'))
        if (entry == "*" || SameText(entry, fileName))
            return true;
    return false;
}

std::string ExpandMacros(const std::string& text,
                         const std::function<std::optional<std::string>(const std::string& name)>& lookup)
{
    std::string result;
    size_t i = 0;
    while (i < text.size()) {
        const size_t close = text.compare(i, 2, "$(") == 0 ? text.find(')', i + 2) : std::string::npos;
        if (close == std::string::npos) {
            result += text[i++];
            continue;
        }
        const std::optional<std::string> value = lookup(text.substr(i + 2, close - i - 2));
        result += value ? *value : text.substr(i, close + 1 - i);
        i = close + 1;
    }
    return result;
}

bool WriteOutput(IFileSystem& files, const std::string& path, const std::string& content)
{
    return files.DirectoryExists(ExtractFileDir(path)) && files.WriteFile(path, content);
}

std::optional<std::string> FindInFolders(const IFileSystem& files, const std::vector<std::string>& folders,
                                         const std::string& fileName)
{
    for (const std::string& folder : folders) {
        const std::string candidate = PathJoin(folder, fileName);
        if (files.FileExists(candidate))
            return candidate;
    }
    return std::nullopt;
}

} // namespace corvalis::standins
