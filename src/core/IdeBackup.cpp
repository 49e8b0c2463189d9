#include "core/IdeBackup.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "core/RegistryExport.h"
#include "core/Unattended.h"
#include "engine/uLogger.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "platform/Exceptions.h"
#include "platform/PathText.h"

namespace corvalis {
namespace {

constexpr const char* kRegistryFile = "Registry.reg";
constexpr const char* kEnvOptionsFile = "EnvOptions.proj";

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

// The run folders in the backup folder, oldest first: their names sort by time.
std::vector<std::string> RunNames(const IFileSystem& files, const std::string& backupFolder)
{
    std::vector<std::string> names;
    for (const DirEntry& entry : files.Enumerate(backupFolder))
        if (entry.directory && IsRunName(entry.name))
            names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

std::string LastErrorText(const Platform& platform)
{
    return platform.locale.ErrorText(platform.files.LastError());
}

// Written beside the file and moved over it, so that the IDE never reads half a file.
void ReplaceFile(const Platform& platform, const std::string& file, const std::string& content)
{
    IFileSystem& files = platform.files;
    const std::string temporary = file + ".restoring";
    files.ForceDirectories(ExtractFileDir(file));
    if (!files.WriteFile(temporary, content) || !files.MoveFile(temporary, file)) {
        const std::string reason = LastErrorText(platform);
        files.DeleteFile(temporary);
        throw Exception("Cannot write " + file + ": " + reason);
    }
}

// One IDE of a backup run, read before anything is changed.
struct TSavedIde {
    std::string Folder;
    TKeyExport Key;
    std::optional<std::string> EnvOptions;
    const TCompileTarget* Target = nullptr;
};

std::optional<std::string> FindRunFolder(const Platform& platform, const std::string& folder)
{
    const IFileSystem& files = platform.files;
    const std::string backups = BackupFolder(platform);
    if (folder.empty()) {
        const std::vector<std::string> names = RunNames(files, backups);
        if (names.empty())
            return std::nullopt;
        return PathJoin(backups, names.back());
    }
    for (const std::string& candidate : {folder, PathJoin(backups, folder)})
        if (files.DirectoryExists(candidate))
            return ExcludeTrailingPathDelimiter(candidate);
    return std::nullopt;
}

std::vector<TSavedIde> ReadRun(const Platform& platform, const std::string& runFolder)
{
    const IFileSystem& files = platform.files;
    std::vector<TSavedIde> saved;
    for (const DirEntry& entry : files.Enumerate(runFolder)) {
        if (!entry.directory)
            continue;
        const std::string folder = PathJoin(runFolder, entry.name);
        const auto registry = files.ReadFile(PathJoin(folder, kRegistryFile));
        if (!registry)
            throw Exception("The backup " + folder + " holds no " + kRegistryFile + ".");
        try {
            saved.push_back({folder, ParseRegFile(*registry), files.ReadFile(PathJoin(folder, kEnvOptionsFile)), {}});
        } catch (const Exception& error) {
            throw Exception(PathJoin(folder, kRegistryFile) + ": " + error.Message());
        }
    }
    if (saved.empty())
        throw Exception("The backup folder " + runFolder + " holds no IDE settings.");
    return saved;
}

} // namespace

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
        throw Exception("Cannot create the folder " + folder + ": " + LastErrorText(platform_));
    runFolder_ = folder;
    log_.LogInfo("The IDE settings are saved before they change, in " + folder);
    const std::vector<std::string> names = RunNames(files, backups);
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
            throw Exception("Cannot create the folder " + folder + ": " + LastErrorText(platform_));
        const std::string registryFile = PathJoin(folder, kRegistryFile);
        const TKeyExport key = ExportKey(platform_.registry, RootKey::CurrentUser, target.UserKey);
        if (!files.WriteFile(registryFile, FormatRegFile(key)))
            throw Exception("Cannot write " + registryFile + ": " + LastErrorText(platform_));
        const std::string envOptions = target.EnvOptionsFile();
        if (!envOptions.empty() && files.FileExists(envOptions)) {
            const auto content = files.ReadFile(envOptions);
            if (!content)
                throw Exception("Cannot read " + envOptions + ": " + LastErrorText(platform_));
            const std::string copy = PathJoin(folder, kEnvOptionsFile);
            if (!files.WriteFile(copy, *content))
                throw Exception("Cannot write " + copy + ": " + LastErrorText(platform_));
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

TRestoreResult RestoreIdeSettings(const Platform& platform, TCmdOptions& options, const std::string& folder,
                                  TLogBase& log)
{
    const auto runFolder = FindRunFolder(platform, folder);
    if (!runFolder)
        return {ecRefused, folder.empty() ? "No backup of IDE settings in " + BackupFolder(platform) + "."
                                          : "No backup folder " + folder + "."};
    std::vector<TSavedIde> saved;
    try {
        saved = ReadRun(platform, *runFolder);
    } catch (const Exception& error) {
        return {ecRefused, error.Message()};
    }
    const TCompileTargetList targets(platform, options);
    for (TSavedIde& ide : saved) {
        for (int i = 0; i < targets.Count() && !ide.Target; ++i)
            if (SameText(ProductFolderName(targets[i]), ExtractFileName(ide.Folder)))
                ide.Target = &targets[i];
        if (!ide.Target)
            continue;
        if (ide.Key.Root != RootKey::CurrentUser || !SameText(ide.Key.Path, NormalKeyPath(ide.Target->UserKey)))
            return {ecRefused,
                    ide.Folder + " holds the settings of another key than " + ide.Target->DisplayName() + "'s."};
        if (!options.IgnoreIde && IsIdeRunning(platform, *ide.Target))
            return {ecRefused, ide.Target->DisplayName() + " is running. Close it, or restore with --ignore-ide."};
    }

    log.LogInfo("Restoring the IDE settings saved in " + *runFolder);
    bool failed = false;
    for (const TSavedIde& ide : saved) {
        if (!ide.Target) {
            log.LogError("No IDE of the settings in " + ide.Folder + " is installed; they are not restored.");
            failed = true;
            continue;
        }
        try {
            ImportKey(platform.registry, ide.Key);
            if (ide.EnvOptions)
                ReplaceFile(platform, ide.Target->EnvOptionsFile(), *ide.EnvOptions);
            log.LogInfo("Restored the settings of " + ide.Target->DisplayName());
        } catch (const std::exception& error) {
            log.LogError("The settings of " + ide.Target->DisplayName() + " cannot be restored. " + error.what());
            failed = true;
        }
    }
    return {failed ? ecErrors : ecDone, {}};
}

} // namespace corvalis
