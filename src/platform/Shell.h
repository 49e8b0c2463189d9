#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace corvalis {

enum class SpecialFolder {
    Programs, // the current user's Start-menu Programs folder
    ProgramFiles,
    Personal,        // the user's documents
    AppData,         // the user's roaming application data
    LocalAppData,    // the user's application data that stays on this machine
    CommonDocuments, // the documents shared by all users
};

struct WindowsVersion {
    uint32_t platformId = 0; // 1: Windows 9x family, 2: NT family
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    std::string servicePack;
};

class IShell {
public:
    virtual ~IShell() = default;

    virtual std::optional<std::string> FolderPath(SpecialFolder folder) const = 0;
    // Writes a .lnk file holding only a target and a working folder, replacing one of that name.
    virtual bool CreateShortcut(const std::string& linkFile, const std::string& target,
                                const std::string& workingFolder) = 0;
    // A file, folder or address opened with the "open" verb in a normal window.
    virtual bool Open(const std::string& target) = 0;
    virtual WindowsVersion RunningWindows() const = 0;

    // Accounts as "DOMAIN\name": the one this process runs as, and the owner of the shell
    // of the desktop it is shown on; nullopt without an interactive desktop or when the
    // shell's owner cannot be told.
    virtual std::string ProcessAccount() const = 0;
    virtual std::optional<std::string> DesktopAccount() const = 0;
};

} // namespace corvalis
