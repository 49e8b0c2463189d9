#pragma once

#include "platform/Shell.h"

namespace corvalis {

// Needs COM on the calling thread (Win32Platform provides it).
class Win32Shell : public IShell {
public:
    std::optional<std::string> FolderPath(SpecialFolder folder) const override;
    bool CreateShortcut(const std::string& linkFile, const std::string& target,
                        const std::string& workingFolder) override;
    bool Open(const std::string& target) override;
    WindowsVersion RunningWindows() const override;
    std::string ProcessAccount() const override;
    std::optional<std::string> DesktopAccount() const override;
};

} // namespace corvalis
