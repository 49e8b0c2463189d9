#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/memory/MemoryFiles.h"

namespace corvalis {

// Special folders of a fresh user profile; shortcuts become files of the in-memory file
// system and are remembered with their target and working folder.
class MemoryShell : public IShell {
public:
    struct Shortcut {
        std::string linkFile;
        std::string target;
        std::string workingFolder;
    };

    explicit MemoryShell(MemoryFiles& files);

    std::optional<std::string> FolderPath(SpecialFolder folder) const override;
    bool CreateShortcut(const std::string& linkFile, const std::string& target,
                        const std::string& workingFolder) override;
    bool Open(const std::string& target) override;
    WindowsVersion RunningWindows() const override { return windows_; }
    std::string ProcessAccount() const override { return processAccount_; }
    std::optional<std::string> DesktopAccount() const override { return desktopAccount_; }

    void SetFolderPath(SpecialFolder folder, std::optional<std::string> path);
    void SetRunningWindows(const WindowsVersion& version) { windows_ = version; }
    void SetAccounts(std::string process, std::optional<std::string> desktop)
    {
        processAccount_ = std::move(process);
        desktopAccount_ = std::move(desktop);
    }
    const std::vector<Shortcut>& Shortcuts() const { return shortcuts_; }
    const std::vector<std::string>& Opened() const { return opened_; }

private:
    MemoryFiles& files_;
    std::map<SpecialFolder, std::optional<std::string>> folders_;
    std::vector<Shortcut> shortcuts_;
    std::vector<std::string> opened_;
    WindowsVersion windows_{2, 6, 1, 7601, "Service Pack 1"};
    std::string processAccount_ = "MACHINE\\user";
    std::optional<std::string> desktopAccount_ = "MACHINE\\user";
};

} // namespace corvalis
