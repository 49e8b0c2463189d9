#include "engine/IdeBackup.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "log/uLogger.h"
#include "platform/Exceptions.h"

namespace corvalis {
namespace {

// The sequence of a run's folder name; nullopt for any other name.
std::optional<uint32_t> RunSequence(const std::string& name)
{
    static const std::string time = " dddd-dd-dd dd-dd-dd";
    const size_t digits = name.find(' ');
    if (digits == 0 || digits > 9 || name.size() != digits + time.size())
        return std::nullopt;
    for (size_t i = 0; i < name.size(); ++i) {
        const char expected = i < digits ? 'd' : time[i - digits];
        if (expected == 'd' ? name[i] < '0' || name[i] > '9' : name[i] != expected)
            return std::nullopt;
    }
    return static_cast<uint32_t>(std::stoul(name.substr(0, digits)));
}

std::string ReadOrFail(const IFileSystem& files, const std::string& file)
{
    const std::optional<std::string> content = files.ReadFile(file);
    if (!content)
        throw Exception("Cannot read " + file);
    return *content;
}

void WriteOrFail(const Platform& platform, const std::string& file, const std::string& content)
{
    if (!platform.files.WriteFile(file, content))
        throw Exception("Cannot write " + file + ": " + LastFileErrorText(platform));
}

} // namespace

std::string BackupFolder(const Platform& platform)
{
    const std::string local = platform.shell.FolderPath(SpecialFolder::LocalAppData).value_or("");
    return PathJoin(ExcludeTrailingPathDelimiter(local), "Halvorn\\Corvalis\\Backup");
}

std::vector<TBackupRun> BackupRuns(const IFileSystem& files, const std::string& backupFolder)
{
    std::vector<TBackupRun> runs;
    for (const DirEntry& entry : files.Enumerate(backupFolder))
        if (const auto sequence = RunSequence(entry.name); sequence && entry.directory)
            runs.push_back({*sequence, entry.name});
    std::sort(runs.begin(), runs.end(), [](const TBackupRun& a, const TBackupRun& b) {
        return std::tie(a.Sequence, a.Name) < std::tie(b.Sequence, b.Name);
    });
    return runs;
}

std::string BackupRunName(uint32_t sequence, DateTime time)
{
    const DateTimeParts t = DecodeDateTime(time);
    char name[48];
    std::snprintf(name, sizeof name, "%04u %04d-%02d-%02d %02d-%02d-%02d", sequence, t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return name;
}

TIdeSettings ReadIdeSettings(const Platform& platform, const TCompileTarget& target)
{
    TIdeSettings settings{ExportKey(platform.registry, RootKey::CurrentUser, target.UserKey), std::nullopt};
    const std::string envOptions = target.EnvOptionsFile();
    if (!envOptions.empty() && platform.files.FileExists(envOptions))
        settings.EnvOptions = ReadOrFail(platform.files, envOptions);
    return settings;
}

TIdeSettings ReadSavedIdeSettings(const IFileSystem& files, const std::string& folder)
{
    const std::string registryFile = PathJoin(folder, kBackupRegistryFile);
    const std::optional<std::string> registry = files.ReadFile(registryFile);
    if (!registry)
        throw Exception("The backup " + folder + " holds no " + kBackupRegistryFile);
    try {
        return {ParseRegFile(*registry), files.ReadFile(PathJoin(folder, kBackupEnvOptionsFile))};
    } catch (const Exception& error) {
        throw Exception(registryFile + ": " + error.Message());
    }
}

const TIdeSettings* TIdeBackup::Save(const TCompileTarget& target, TLogBase& log)
{
    for (const auto& [saved, settings] : saved_)
        if (saved == &target)
            return &settings;
    IFileSystem& files = platform_.files;
    std::string incomplete;
    try {
        TIdeSettings settings = ReadIdeSettings(platform_, target);
        const std::string registryFile = FormatRegFile(settings.Key);
        CreateRun(log);
        // Written under another name and renamed once whole: an IDE's folder in a run is complete.
        const std::string folder = PathJoin(RunFolder(), ProductFolderName(target));
        incomplete = folder + kIncompleteBackup;
        if (!files.CreateDirectory(incomplete))
            throw Exception("Cannot create the folder " + incomplete + ": " + LastFileErrorText(platform_));
        WriteOrFail(platform_, PathJoin(incomplete, kBackupRegistryFile), registryFile);
        if (settings.EnvOptions)
            WriteOrFail(platform_, PathJoin(incomplete, kBackupEnvOptionsFile), *settings.EnvOptions);
        if (!files.MoveFile(incomplete, folder))
            throw Exception("Cannot rename " + incomplete + ": " + LastFileErrorText(platform_));
        saved_.emplace_back(&target, std::move(settings));
        log.LogDebug("Settings of " + target.DisplayName() + " saved in " + folder);
    } catch (const std::exception& error) {
        if (!incomplete.empty())
            files.DeleteTree(incomplete);
        if (saved_.empty() && run_) {
            files.DeleteTree(RunFolder());
            run_.reset();
        }
        log.LogError("The settings of " + target.DisplayName() + " cannot be saved, so it is left unchanged. " +
                      error.what());
        return nullptr;
    }
    if (saved_.size() == 1)
        Prune();
    return &saved_.back().second;
}

std::string TIdeBackup::RunFolder() const
{
    return run_ ? PathJoin(BackupFolder(platform_), run_->Name) : std::string();
}

void TIdeBackup::CreateRun(TLogBase& log)
{
    if (run_)
        return;
    IFileSystem& files = platform_.files;
    const std::string backups = BackupFolder(platform_);
    const std::vector<TBackupRun> runs = BackupRuns(files, backups);
    const uint32_t sequence = runs.empty() ? 1 : runs.back().Sequence + 1;
    TBackupRun run{sequence, BackupRunName(sequence, platform_.locale.Now())};
    const std::string folder = PathJoin(backups, run.Name);
    if (!files.ForceDirectories(backups) || !files.CreateDirectory(folder))
        throw Exception("Cannot create the folder " + folder + ": " + LastFileErrorText(platform_));
    run_ = std::move(run);
    log.LogInfo("The IDE settings are saved before they change, in " + folder);
}

void TIdeBackup::Prune()
{
    const std::string backups = BackupFolder(platform_);
    std::vector<TBackupRun> runs = BackupRuns(platform_.files, backups);
    std::erase_if(runs, [&](const TBackupRun& run) { return run.Name == run_->Name || SameText(run.Name, keep_); });
    // This run is the newest of those kept.
    for (size_t i = 0; i + kKeptBackups - 1 < runs.size(); ++i)
        platform_.files.DeleteTree(PathJoin(backups, runs[i].Name));
}

} // namespace corvalis
