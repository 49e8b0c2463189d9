#include "unattended/IdeRestore.h"

#include <optional>
#include <vector>

#include "engine/IdeBackup.h"
#include "engine/RegistryExport.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "log/uLogger.h"
#include "platform/Exceptions.h"
#include "platform/PathText.h"
#include "run/CommandLineChoices.h"
#include "run/ExitCode.h"
#include "run/SetupLog.h"

namespace corvalis {
namespace {

// Written beside the file and moved over it, so that the IDE never reads half a file.
void ReplaceFile(const Platform& platform, const std::string& file, const std::string& content)
{
    IFileSystem& files = platform.files;
    const std::string temporary = file + ".restoring";
    files.ForceDirectories(ExtractFileDir(file));
    if (!files.WriteFile(temporary, content) || !files.MoveFile(temporary, file)) {
        const std::string reason = LastFileErrorText(platform);
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
        const std::vector<std::string> names = BackupRunNames(files, backups);
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
        const auto registry = files.ReadFile(PathJoin(folder, kBackupRegistryFile));
        if (!registry)
            throw Exception("The backup " + folder + " holds no " + kBackupRegistryFile + ".");
        try {
            saved.push_back(
                {folder, ParseRegFile(*registry), files.ReadFile(PathJoin(folder, kBackupEnvOptionsFile)), {}});
        } catch (const Exception& error) {
            throw Exception(PathJoin(folder, kBackupRegistryFile) + ": " + error.Message());
        }
    }
    if (saved.empty())
        throw Exception("The backup folder " + runFolder + " holds no IDE settings.");
    return saved;
}

} // namespace

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

int RunRestore(const Platform& platform, TCmdOptions& options)
{
    IConsole& console = platform.console;
    try {
        CheckOptionValues(options);
    } catch (const TRefusal& refusal) {
        console.WriteError(refusal.Message());
        return ecRefused;
    }
    TLogToList log(platform.locale);
    log.OnLog = [&](TLogBase&, TLogLevel level, const std::u16string& text, DateTime time) {
        console.WriteLine(
            FormatLogLine(time, level, platform.locale.WideToAnsi(text), platform.locale.TimeSeparator()));
    };
    const TRestoreResult result = RestoreIdeSettings(platform, options, options.RestoreFolder, log);
    if (!result.Refusal.empty())
        console.WriteError(result.Refusal);
    return result.ExitCode;
}

} // namespace corvalis
