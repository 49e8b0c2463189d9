#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvalis {

struct DirEntry {
    std::string name;
    bool directory = false;
    bool hidden = false;
    uint64_t size = 0;
};

struct FileVersionInfo {
    std::string fileVersion;         // the "FileVersion" string, may be empty
    std::array<uint16_t, 4> fixed{}; // the fixed file version, most significant first
};

// A file kept open for adding to its end; other processes may read it meanwhile. The bytes
// of each Append are the system's when it returns: a process that stops right after loses
// none of them.
class IAppendFile {
public:
    virtual ~IAppendFile() = default;
    virtual bool Append(const std::string& content) = 0;
};

// The file system, with Windows path rules: backslashes, drive letters, names compared
// without regard to case and holding any character. Operations that can fail return false and leave the reason in
// LastError(), as the system reports it.
class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    virtual bool FileExists(const std::string& path) const = 0; // a file, not a folder
    virtual bool DirectoryExists(const std::string& path) const = 0;

    virtual bool CreateDirectory(const std::string& path) = 0;                 // one level
    virtual bool ForceDirectories(const std::string& path) = 0;                // with every missing parent
    virtual bool CopyFile(const std::string& from, const std::string& to) = 0; // overwrites
    // A file replaces one of that name; a folder moves, as a whole, to a name not taken.
    virtual bool MoveFile(const std::string& from, const std::string& to) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    // Moves a file or a whole folder to the recycle bin, silently: no confirmation, no error UI.
    virtual bool Recycle(const std::string& path) = 0;
    virtual bool DeleteTree(const std::string& path) = 0; // permanently

    // The entries of a folder, without "." and "..", in the system's enumeration order.
    virtual std::vector<DirEntry> Enumerate(const std::string& folder) const = 0;

    // The whole content; other processes may read the file meanwhile but not write it.
    virtual std::optional<std::string> ReadFile(const std::string& path) const = 0;
    virtual bool WriteFile(const std::string& path, const std::string& content) = 0; // creates or truncates
    // Creates or truncates the file and keeps it open, so that a file taking many small
    // additions is not opened for each; null when it cannot be created.
    virtual std::unique_ptr<IAppendFile> CreateForAppend(const std::string& path) = 0;

    virtual std::string SystemDirectory() const = 0;
    virtual std::string TempDirectory() const = 0; // without trailing delimiter
    virtual std::string CurrentDirectory() const = 0;
    virtual bool SetCurrentDirectory(const std::string& path) = 0;
    virtual std::string FullPath(const std::string& path) const = 0;  // absolute, relative to the current folder
    virtual std::string ShortPath(const std::string& path) const = 0; // 8.3 form; empty when it fails
    virtual std::optional<FileVersionInfo> FileVersion(const std::string& path) const = 0;

    virtual uint32_t LastError() const = 0;
};

} // namespace corvalis
