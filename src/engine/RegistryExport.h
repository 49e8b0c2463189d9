#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"

namespace corvalis {

// One key of an exported tree: its path below the root and its values in registry order.
struct TExportedKey {
    std::string Path;
    std::vector<std::pair<std::string, RegistryValue>> Values;
    bool operator==(const TExportedKey&) const = default;
};

// A registry key with everything below it, as an export file of Registry Editor holds it.
struct TKeyExport {
    RootKey Root = RootKey::CurrentUser;
    std::string Path;               // the key an import replaces
    std::vector<TExportedKey> Keys; // parents before their subkeys; none when the key did not exist
    bool operator==(const TKeyExport&) const = default;
};

// Every subkey and value exactly; a subkey or value that is listed but cannot be read raises
// an Exception naming it, rather than giving an export that lacks it.
TKeyExport ExportKey(IRegistry& registry, RootKey root, const std::string& path);

// Replaces the key by the exported one: deleted with its subkeys, then every key and value
// recreated with its type and data. A step that fails does not stop the others, so that the
// key comes as close to the export as it can; when it then differs from the export in
// anything, an Exception says what failed.
void ImportKey(IRegistry& registry, const TKeyExport& content);

// The bytes of a Unicode registry file (UTF-16 with a byte order mark), as Registry Editor
// writes and imports it: the import first deletes the key and then recreates it exactly.
// Raises an Exception when the file cannot hold the key exactly (a name with a line break).
std::string FormatRegFile(const TKeyExport& content);
// Reads such a file back. A line it cannot read, or a key outside the replaced key, raises
// an Exception naming the line.
TKeyExport ParseRegFile(const std::string& bytes);

} // namespace corvalis
