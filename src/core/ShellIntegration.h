#pragma once

#include <string>

#include "core/Product.h"
#include "platform/Platform.h"

namespace corvalis {

class TInstallData;
class TLogBase;

// HKEY_LOCAL_MACHINE: the product's Add/Remove Programs entry.
inline constexpr const char* UninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CorvalisVCL";

// The longest file name of the shortcuts in the Start-menu group.
size_t LongestShortcutName();

// What makes the installed product visible to the user's desktop — the Start-menu group,
// the Add/Remove Programs entry, the Uninstall folder — and its complete removal.
class TShellIntegration {
public:
    TShellIntegration(const Platform& platform, TInstallData& installData)
        : platform_(platform), installData_(installData)
    {
    }

    void CreateShortcuts();
    void WriteUninstallEntry();
    void DeleteUninstallEntry();
    void CopyUninstallFiles();
    // Deletes the product's files, Start-menu group and entry; the product key records first
    // that the files are no longer whole.
    void RemoveProductFiles(TLogBase& log);
    void DeleteInstallFolder(const std::string& folder);
    void DeleteInstallFile(const std::string& file);

private:
    std::string InInstallFolder(const std::string& relative) const;
    void DeleteStartMenuGroup(const std::string& startFolder);
    void DeleteStartMenuGroups();

    const Platform& platform_;
    TInstallData& installData_;
};

} // namespace corvalis
