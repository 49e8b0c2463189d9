#pragma once

#include "platform/Files.h"

namespace corvalis {

class Win32Files : public IFileSystem {
public:
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
    std::string SystemDirectory() const override;
    std::string TempDirectory() const override;
    std::string CurrentDirectory() const override;
    bool SetCurrentDirectory(const std::string& path) override;
    std::string FullPath(const std::string& path) const override;
    std::string ShortPath(const std::string& path) const override;
    std::optional<FileVersionInfo> FileVersion(const std::string& path) const override;
    uint32_t LastError() const override { return lastError_; }

private:
    bool Check(bool succeeded) const;
    class Appender;

    mutable uint32_t lastError_ = 0;
};

} // namespace corvalis
