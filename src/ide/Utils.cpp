#include "ide/Utils.h"

#include <algorithm>

#include "platform/Files.h"
#include "platform/PathText.h"

namespace corvalis {

std::string Trim(const std::string& text)
{
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

bool SameText(const std::string& a, const std::string& b)
{
    return SameName(a, b);
}

bool StartsText(const std::string& prefix, const std::string& text)
{
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

bool EndsText(const std::string& suffix, const std::string& text)
{
    return text.size() >= suffix.size() && SameName(text.substr(text.size() - suffix.size()), suffix);
}

std::string UpperCase(const std::string& text)
{
    std::string upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(), AsciiUpper);
    return upper;
}

std::string LowerCase(const std::string& text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

bool ContainsText(const std::vector<std::string>& list, const std::string& text)
{
    return std::any_of(list.begin(), list.end(), [&](const std::string& item) { return SameName(item, text); });
}

bool NamesOwnFolder(const std::string& level)
{
    return level.find_first_not_of(". ") != std::string::npos;
}

std::vector<std::string> SplitString(const std::string& text, char separator)
{
    std::vector<std::string> parts(1);
    for (char c : text)
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    return parts;
}

std::vector<std::string> TextLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

std::string IncludeTrailingPathDelimiter(const std::string& path)
{
    return !path.empty() && path.back() == '\\' ? path : path + '\\';
}

std::string ExcludeTrailingPathDelimiter(const std::string& path)
{
    return !path.empty() && path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
}

std::string PathJoin(const std::string& folder, const std::string& name)
{
    return IncludeTrailingPathDelimiter(folder) + name;
}

std::string ExtractFileName(const std::string& path)
{
    const size_t delimiter = path.find_last_of("\\:");
    return delimiter == std::string::npos ? path : path.substr(delimiter + 1);
}

std::string ExtractFileDir(const std::string& path)
{
    const size_t delimiter = path.find_last_of("\\:");
    if (delimiter == std::string::npos)
        return {};
    // A root ("C:\") keeps its delimiter, as the folder of a file in it.
    if (delimiter > 0 && path[delimiter] == '\\' && path[delimiter - 1] != ':' && path[delimiter - 1] != '\\')
        return path.substr(0, delimiter);
    return path.substr(0, delimiter + 1);
}

std::string ExtractFileExt(const std::string& path)
{
    const size_t dot = path.find_last_of(".\\:");
    return dot != std::string::npos && path[dot] == '.' ? path.substr(dot) : std::string();
}

std::string ChangeFileExt(const std::string& path, const std::string& extension)
{
    const size_t dot = path.find_last_of(".\\:");
    const size_t end = dot != std::string::npos && path[dot] == '.' ? dot : path.size();
    return path.substr(0, end) + extension;
}

bool MatchesMask(const std::string& name, const std::string& mask)
{
    if (mask == "*.*" || mask == "*")
        return true;
    // Iterative wildcard match with one backtracking point for the last "*".
    size_t n = 0, m = 0, starMask = std::string::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || AsciiUpper(mask[m]) == AsciiUpper(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

void FindFiles(const IFileSystem& files, const std::string& folder, const std::string& mask, bool recursive,
               const std::vector<std::string>* extensions, std::vector<FoundFile>& found)
{
    const std::string dir = folder.empty() ? files.CurrentDirectory() : folder;
    for (const DirEntry& entry : files.Enumerate(dir)) {
        const std::string path = PathJoin(dir, entry.name);
        if (entry.directory) {
            if (recursive)
                FindFiles(files, path, mask, recursive, extensions, found);
        } else if (MatchesMask(entry.name, mask) &&
                   (extensions == nullptr || ContainsText(*extensions, ExtractFileExt(entry.name)))) {
            found.push_back({path, static_cast<uint32_t>(entry.size)});
        }
    }
}

} // namespace corvalis
