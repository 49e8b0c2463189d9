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
};

} // namespace corvalis
