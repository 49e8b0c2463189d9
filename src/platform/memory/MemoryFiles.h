#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/memory/MemoryStopPoint.h"

namespace corvalis {

// An in-memory file system with Windows path rules and error codes. A file can be marked
// in use like a loaded executable image: it cannot be deleted or overwritten, but moved.
class MemoryFiles : public IFileSystem {
public:
    MemoryFiles();

    bool FileExists(const std::string& path) const override;
    bool DirectoryExists(const std::string& path) const override;
    bool CreateDirectory(const std::string& path) override;
    bool ForceDirectories(const std::string& path) override;
    bool CopyFile(const std::string& from, const std::string& to) override;
    bool MoveFile(const std::string& from, const std::string& to) override;
    bool DeleteFile(const std::string& path) override;
    bool Recycle(const std::string& path) override;
    bool DeleteTree(const std::string& path) override;
    std::vector<DirEntry> Enumerate(const std::string& folder) const override;
    std::optional<std::string> ReadFile(const std::string& path) const override;
    bool WriteFile(const std::string& path, const std::string& content) override;
    std::unique_ptr<IAppendFile> CreateForAppend(const std::string& path) override;
    std::string SystemDirectory() const override { return systemDirectory_; }
    std::string TempDirectory() const override { return tempDirectory_; }
    std::string CurrentDirectory() const override { return currentDirectory_; }
    bool SetCurrentDirectory(const std::string& path) override;
    std::string FullPath(const std::string& path) const override;
    std::string ShortPath(const std::string& path) const override;
    std::optional<FileVersionInfo> FileVersion(const std::string& path) const override;
    uint32_t LastError() const override { return lastError_; }

    // Test set-up: a file with its missing parent folders.
    void AddFile(const std::string& path, const std::string& content = {});
    void SetHidden(const std::string& path, bool hidden);
    void SetInUse(const std::string& path, bool inUse);
    void SetFileVersion(const std::string& path, const FileVersionInfo& info);
    // A volume mounted at the folder, whose free space the files written below it take up:
    // a write that does not fit fails.
    void SetFreeSpace(const std::string& folder, uint64_t bytes);
    // Every change from now on counts towards the stop point.
    void SetStopPoint(MemoryStopPoint* stopPoint) { stopPoint_ = stopPoint; }
    // Every file and folder of the other machine, in place of its own.
    void CopyFilesOf(const MemoryFiles& other);
    // Full paths of everything moved to the recycle bin, in order.
    const std::vector<std::string>& Recycled() const { return recycled_; }

    struct Node {
        std::string name;
        bool directory = false;
        bool hidden = false;
        bool inUse = false;
        std::string content;
        std::optional<FileVersionInfo> version;
        std::vector<std::shared_ptr<Node>> children; // sorted without regard to case
    };

private:
    std::vector<std::string> Parts(const std::string& path) const;
    // The node named by the first count parts.
    std::shared_ptr<Node> Find(const std::vector<std::string>& parts, size_t count) const;
    std::shared_ptr<Node> Find(const std::vector<std::string>& parts) const { return Find(parts, parts.size()); }
    std::shared_ptr<Node> Find(const std::string& path) const { return Find(Parts(path)); }
    bool Fail(uint32_t code) const;
    bool MayChange(const std::string& path);
    bool Write(const std::string& path, const std::string& content, bool append);
    class Appender;
    bool Detach(const std::vector<std::string>& parts);
    void Attach(const std::shared_ptr<Node>& parent, std::shared_ptr<Node> child);

    std::map<std::string, std::shared_ptr<Node>> drives_;
    std::string currentDirectory_ = "C:\\";
    std::string systemDirectory_ = "C:\\windows\\system32";
    std::string tempDirectory_ = "C:\\users\\user\\Temp";
    std::vector<std::string> recycled_;
    struct Volume {
        std::vector<std::string> parts;
        uint64_t freeSpace;
    };
    std::optional<Volume> volume_;
    mutable uint32_t lastError_ = 0;
    MemoryStopPoint* stopPoint_ = nullptr;
};

} // namespace corvalis
