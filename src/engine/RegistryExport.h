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
};

// A registry key with everything below it, as an export file of Registry Editor holds it.
struct TKeyExport {
    RootKey Root = RootKey::CurrentUser;
    std::string Path;               // the key an import replaces
    std::vector<TExportedKey> Keys; // parents before their subkeys; none when the key did not exist
};

TKeyExport ExportKey(IRegistry& registry, RootKey root, const std::string& path);

// Replaces the key by the exported one: deleted with its subkeys, then every key and value
// recreated with its type and data.
void ImportKey(IRegistry& registry, const TKeyExport& content);

// The text of a REGEDIT4 file in the system code page. Importing it, by Registry Editor too,
// first deletes the key and then recreates it exactly.
std::string FormatRegFile(const TKeyExport& content);
// Reads such a file back. A line it cannot read, or a key outside the replaced key, raises
// an Exception naming the line.
TKeyExport ParseRegFile(const std::string& text);

} // namespace corvalis
