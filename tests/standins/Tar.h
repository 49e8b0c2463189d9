#pragma once

// The archive format of the test packages: POSIX tar (ustar) with regular files and
// folders only. Names inside the archive use '/'; on disk they become '\'.

#include <optional>
#include <string>
#include <vector>

namespace corvalis {
class IFileSystem;
}

namespace corvalis::standins {

struct TarEntry {
    std::string name; // relative, '/'-separated, without a trailing '/'
    bool directory = false;
    std::string content;

    bool operator==(const TarEntry&) const = default;
};

// The archive of the entries, in their order. Throws std::length_error for a name that
// does not fit the ustar name field.
std::string WriteTar(const std::vector<TarEntry>& entries);

// The entries of an archive; nullopt when a header's checksum or magic is wrong, an entry
// is of another type than file or folder, or the data is cut short.
std::optional<std::vector<TarEntry>> ReadTar(const std::string& archive);

// Everything below folder, each folder before what it holds.
std::vector<TarEntry> FolderEntries(const IFileSystem& files, const std::string& folder);

} // namespace corvalis::standins
