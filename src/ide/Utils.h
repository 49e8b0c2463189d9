#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvalis {

class IFileSystem;

// Text helpers. Names (registry names, file names, options, macros, environment variables)
// compare without regard to ASCII letter case; comparisons in the user's locale go through ILocale.
std::string Trim(const std::string& text); // blanks and control characters at both ends
bool SameText(const std::string& a, const std::string& b);
bool StartsText(const std::string& prefix, const std::string& text);
bool EndsText(const std::string& suffix, const std::string& text);
std::string UpperCase(const std::string& text);
std::string LowerCase(const std::string& text);
bool ContainsText(const std::vector<std::string>& list, const std::string& text);
// A level of a folder path that names a folder of its own: Windows drops trailing dots and
// blanks, so a level of nothing else ("", ".", "..", "...") is the folder it stands in or one above.
bool NamesOwnFolder(const std::string& level);
// The parts between the separators, empty ones included.
std::vector<std::string> SplitString(const std::string& text, char separator);
// The lines of a text file: CR LF, LF and CR each end one; a last line without an end counts.
std::vector<std::string> TextLines(const std::string& text);

// Path helpers, with the backslash as path delimiter.
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExcludeTrailingPathDelimiter(const std::string& path);
std::string PathJoin(const std::string& folder, const std::string& name); // adds a delimiter when missing
std::string ExtractFileName(const std::string& path);
std::string ExtractFileDir(const std::string& path); // without trailing delimiter
std::string ExtractFileExt(const std::string& path); // with its dot; empty when none
std::string ChangeFileExt(const std::string& path, const std::string& extension);
// Windows wildcards: "*" any run of characters, "?" one character; "*.*" matches every name.
bool MatchesMask(const std::string& name, const std::string& mask);

struct FoundFile {
    std::string path;
    uint32_t size = 0; // the low 32 bits
};

// Every file in folder (empty: the current folder) whose name matches mask and, when
// extensions is given, whose extension is one of them; with recursive, the subfolders too,
// each where the enumeration meets it. Appended to found in enumeration order.
void FindFiles(const IFileSystem& files, const std::string& folder, const std::string& mask, bool recursive,
               const std::vector<std::string>* extensions, std::vector<FoundFile>& found);

} // namespace corvalis
