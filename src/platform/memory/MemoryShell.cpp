#include "platform/memory/MemoryShell.h"

#include <algorithm>

#include "platform/PathText.h"

namespace corvalis {

MemoryShell::MemoryShell(MemoryFiles& files) : files_(files)
{
    const std::string profile = "C:\\users\\user";
    folders_[SpecialFolder::Programs] = profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
    folders_[SpecialFolder::ProgramFiles] = std::string("C:\\Program Files");
    folders_[SpecialFolder::Personal] = profile + "\\Documents";
    folders_[SpecialFolder::AppData] = profile + "\\AppData\\Roaming";
    folders_[SpecialFolder::LocalAppData] = profile + "\\AppData\\Local";
    folders_[SpecialFolder::CommonDocuments] = std::string("C:\\users\\Public\\Documents");
    for (const auto& [kind, path] : folders_)
        files_.ForceDirectories(*path);
}

std::optional<std::string> MemoryShell::FolderPath(SpecialFolder folder) const
{
    return folders_.at(folder);
}

void MemoryShell::SetFolderPath(SpecialFolder folder, std::optional<std::string> path)
{
    if (path)
        files_.ForceDirectories(*path);
    folders_[folder] = std::move(path);
}

bool MemoryShell::CreateShortcut(const std::string& linkFile, const std::string& target,
                                 const std::string& workingFolder)
{
    if (!files_.WriteFile(linkFile, "[shortcut]\r\n" + target + "\r\n" + workingFolder + "\r\n"))
        return false;
    std::erase_if(shortcuts_, [&](const Shortcut& s) { return SameName(s.linkFile, linkFile); });
    shortcuts_.push_back({linkFile, target, workingFolder});
    return true;
}

bool MemoryShell::Open(const std::string& target)
{
    if (!files_.FileExists(target) && !files_.DirectoryExists(target) && target.find("://") == std::string::npos)
        return false;
    opened_.push_back(target);
    return true;
}

} // namespace corvalis
