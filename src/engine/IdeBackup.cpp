#include "engine/IdeBackup.h"

#include <algorithm>
#include <cstdio>

#include "engine/RegistryExport.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "log/uLogger.h"
#include "platform/Exceptions.h"
#include "platform/PathText.h"

namespace corvalis {
namespace {

bool IsRunName(const std::string& name)
{
    static const std::string pattern = "dddd-dd-dd dd-dd-dd";
    if (name.size() != pattern.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (pattern[i] == 'd' ? name[i] < '0' || name[i] > '9' : name[i] != pattern[i])
            return false;
    return true;
}

} // namespace

std::vector<std::string> BackupRunNames(const IFileSystem& files, const std::string& backupFolder)
{
    std::vector<std::string> names;
    for (const DirEntry& entry : files.Enumerate(backupFolder))
        if (entry.directory && IsRunName(entry.name))
            names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

std::string BackupFolder(const Platform& platform)
{
    const std::string local = platform.shell.FolderPath(SpecialFolder::LocalAppData).value_or("");
    return PathJoin(ExcludeTrailingPathDelimiter(local), "Halvorn\\Corvalis\\Backup");
}

std::string BackupRunName(DateTime time)
{
    const DateTimeParts parts = DecodeDateTime(time);
    char name[32];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d %02d-%02d-%02d", parts.year, parts.month, parts.day, parts.hour,
                  parts.minute, parts.second);
    return name;
}

std::string TIdeBackup::RunFolder()
{
    if (!runFolder_.empty())
        return runFolder_;
    IFileSystem& files = platform_.files;
    const std::string backups = BackupFolder(platform_);
    // A second run within the same second takes the next free one, so that no run's
    // backup overwrites another's.
    constexpr double kSecond = 1.0 / 86400;
    DateTime time = platform_.locale.Now();
    std::string folder = PathJoin(backups, BackupRunName(time));
    while (files.DirectoryExists(folder)) {
        time += kSecond;
        folder = PathJoin(backups, BackupRunName(time));
    }
    if (!files.ForceDirectories(folder))
        throw Exception("Cannot create the folder " + folder + ": " + LastFileErrorText(platform_));
    runFolder_ = folder;
    log_.LogInfo("The IDE settings are saved before they change, in " + folder);
    const std::vector<std::string> names = BackupRunNames(files, backups);
    for (size_t i = 0; i + kKeptBackups < names.size(); ++i)
        files.DeleteTree(PathJoin(backups, names[i]));
    return runFolder_;
}

bool TIdeBackup::Save(const TCompileTarget& target)
{
    if (std::find(saved_.begin(), saved_.end(), &target) != saved_.end())
        return true;
    IFileSystem& files = platform_.files;
    try {
        const std::string folder = PathJoin(RunFolder(), ProductFolderName(target));
        if (!files.ForceDirectories(folder))
            throw Exception("Cannot create the folder " + folder + ": " + LastFileErrorText(platform_));
        const std::string registryFile = PathJoin(folder, kBackupRegistryFile);
        const TKeyExport key = ExportKey(platform_.registry, RootKey::CurrentUser, target.UserKey);
        if (!files.WriteFile(registryFile, FormatRegFile(key)))
            throw Exception("Cannot write " + registryFile + ": " + LastFileErrorText(platform_));
        const std::string envOptions = target.EnvOptionsFile();
        if (!envOptions.empty() && files.FileExists(envOptions)) {
            const auto content = files.ReadFile(envOptions);
            if (!content)
                throw Exception("Cannot read " + envOptions + ": " + LastFileErrorText(platform_));
            const std::string copy = PathJoin(folder, kBackupEnvOptionsFile);
            if (!files.WriteFile(copy, *content))
                throw Exception("Cannot write " + copy + ": " + LastFileErrorText(platform_));
        }
        log_.LogDebug("Settings of " + target.DisplayName() + " saved in " + folder);
    } catch (const std::exception& error) {
        log_.LogError("The settings of " + target.DisplayName() + " cannot be saved, so it is left unchanged. " +
                      error.what());
        return false;
    }
    saved_.push_back(&target);
    return true;
}

} // namespace corvalis
