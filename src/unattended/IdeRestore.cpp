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

// One IDE of a backup run, read before anything is changed; without settings when they
// cannot be read, as a run that stopped while it saved them leaves them.
struct TSavedIde {
    std::string Folder;
    std::optional<TIdeSettings> Settings;
    const TCompileTarget* Target = nullptr;
    std::string Problem;
};

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

// Makes the IDE's settings those given: its key replaced, its EnvOptions.proj written when
// it differs. A step that fails raises an Exception.
void PutSettings(const Platform& platform, const TCompileTarget& target, const TIdeSettings& settings)
{
    ImportKey(platform.registry, settings.Key);
    const std::string file = target.EnvOptionsFile();
    if (settings.EnvOptions && platform.files.ReadFile(file) != settings.EnvOptions)
        ReplaceFile(platform, file, *settings.EnvOptions);
    else if (!settings.EnvOptions && platform.files.FileExists(file) && !platform.files.DeleteFile(file))
        throw Exception("Cannot delete " + file + ": " + LastFileErrorText(platform));
}

// The run's folder: a path, a run's folder name or its sequence number; the newest run when
// the text is empty.
std::optional<std::string> FindRunFolder(const Platform& platform, const std::string& folder)
{
    const IFileSystem& files = platform.files;
    const std::string backups = BackupFolder(platform);
    const std::vector<TBackupRun> runs = BackupRuns(files, backups);
    if (folder.empty())
        return runs.empty() ? std::nullopt : std::optional(PathJoin(backups, runs.back().Name));
    for (const std::string& candidate : {folder, PathJoin(backups, folder)})
        if (files.DirectoryExists(candidate))
            return ExcludeTrailingPathDelimiter(candidate);
    const bool number = folder.size() <= 9 && folder.find_first_not_of("0123456789") == std::string::npos;
    for (const TBackupRun& run : runs)
        if (number && std::stoul(folder) == run.Sequence)
            return PathJoin(backups, run.Name);
    return std::nullopt;
}

std::vector<TSavedIde> ReadRun(const IFileSystem& files, const std::string& runFolder)
{
    std::vector<TSavedIde> saved;
    for (const DirEntry& entry : files.Enumerate(runFolder))
        if (entry.directory) {
            TSavedIde& ide = saved.emplace_back(TSavedIde{PathJoin(runFolder, entry.name), std::nullopt, nullptr, {}});
            if (EndsText(kIncompleteBackup, entry.name)) {
                ide.Problem = "The run that saved them stopped before they were whole.";
                continue;
            }
            try {
                ide.Settings = ReadSavedIdeSettings(files, ide.Folder);
            } catch (const Exception& error) {
                ide.Problem = error.Message();
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
        saved = ReadRun(platform.files, *runFolder);
    } catch (const Exception& error) {
        return {ecRefused, error.Message()};
    }
    const TCompileTargetList targets(platform, options);
    for (TSavedIde& ide : saved) {
        if (!ide.Settings)
            continue;
        for (int i = 0; i < targets.Count() && !ide.Target; ++i)
            if (SameText(ProductFolderName(targets[i]), ExtractFileName(ide.Folder)))
                ide.Target = &targets[i];
        if (!ide.Target)
            continue;
        const TKeyExport& key = ide.Settings->Key;
        if (key.Root != RootKey::CurrentUser || !SameText(key.Path, NormalKeyPath(ide.Target->UserKey)))
            return {ecRefused,
                    ide.Folder + " holds the settings of another key than " + ide.Target->DisplayName() + "'s."};
        if (!options.IgnoreIde && IsIdeRunning(platform, *ide.Target))
            return {ecRefused, ide.Target->DisplayName() + " is running. Close it, or restore with --ignore-ide."};
    }

    log.LogInfo("Restoring the IDE settings saved in " + *runFolder);
    // What the restore replaces is saved as a run of its own, which a later restore can put back.
    TIdeBackup replaced(platform, ExtractFileName(*runFolder));
    bool failed = false;
    for (const TSavedIde& ide : saved) {
        if (!ide.Settings) {
            log.LogError("The settings in " + ide.Folder + " are incomplete; they are not restored. " + ide.Problem);
            failed = true;
            continue;
        }
        if (!ide.Target) {
            log.LogError("No IDE of the settings in " + ide.Folder + " is installed; they are not restored.");
            failed = true;
            continue;
        }
        const TCompileTarget& target = *ide.Target;
        const TIdeSettings* before = replaced.Save(target, log);
        if (!before) {
            failed = true;
            continue;
        }
        try {
            PutSettings(platform, target, *ide.Settings);
            log.LogInfo("Restored the settings of " + target.DisplayName());
            continue;
        } catch (const std::exception& error) {
            log.LogError("The settings of " + target.DisplayName() + " cannot be restored. " + error.what());
        }
        failed = true;
        try {
            PutSettings(platform, target, *before);
            log.LogInfo("The settings of " + target.DisplayName() + " are as they were before the restore.");
        } catch (const std::exception& error) {
            log.LogError("The settings of " + target.DisplayName() +
                         " cannot be put back as they were before the restore either; they are saved in " +
                         replaced.RunFolder() + ". " + error.what());
        }
    }
    if (const auto run = replaced.Run())
        log.LogInfo("To undo this restore: setup.exe --restore=" + std::to_string(run->Sequence));
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
        console.WriteLine(FormatLogLine(time, level, Utf16ToUtf8(text), platform.locale.TimeSeparator()));
    };
    const TRestoreResult result = RestoreIdeSettings(platform, options, options.RestoreFolder, log);
    if (!result.Refusal.empty())
        console.WriteError(result.Refusal);
    return result.ExitCode;
}

} // namespace corvalis
