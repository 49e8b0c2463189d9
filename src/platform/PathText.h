#pragma once

#include <string>
#include <vector>

namespace corvalis {

// Name rules that the platform layers share: ASCII-only case folding as the registry
// and file system apply it to the names the installer uses.
char AsciiUpper(char c);
bool SameName(const std::string& a, const std::string& b);
// Ordinal order of the upper-cased names: how the registry sorts subkeys.
bool NameLess(const std::string& a, const std::string& b);
// The parts of a registry key path, ignoring empty parts from leading, trailing or
// doubled backslashes.
std::vector<std::string> SplitKeyPath(const std::string& path);
// The path with its parts joined by single backslashes, none at either end.
std::string NormalKeyPath(const std::string& path);

} // namespace corvalis
