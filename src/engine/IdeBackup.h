#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/RegistryExport.h"
#include "platform/DateTime.h"
#include "platform/Platform.h"

namespace corvalis {

class TCompileTarget;
class TLogBase;

// The folder that holds one folder per run: <local application data>\Halvorn\Corvalis\Backup.
std::string BackupFolder(const Platform& platform);

// A run's folder, "<sequence> <yyyy-mm-dd hh-nn-ss>". Runs are ordered by their sequence,
// each run taking the one after the highest there is, so that a clock set back cannot make
// an older run the newest; the time only tells the reader when it was.
struct TBackupRun {
    uint32_t Sequence = 0;
    std::string Name;
};
// The run folders in the backup folder, oldest first.
std::vector<TBackupRun> BackupRuns(const IFileSystem& files, const std::string& backupFolder);
std::string BackupRunName(uint32_t sequence, DateTime time);
// How many run folders are kept.
inline constexpr size_t kKeptBackups = 10;
// What an IDE's folder in a run holds: its user key, and its EnvOptions.proj when it has one.
inline constexpr const char* kBackupRegistryFile = "Registry.reg";
inline constexpr const char* kBackupEnvOptionsFile = "EnvOptions.proj";
// An IDE's folder is written under its name and this ending, and renamed once whole.
inline constexpr const char* kIncompleteBackup = ".incomplete";

// The settings of an IDE that a run changes and a restore puts back.
struct TIdeSettings {
    TKeyExport Key;
    std::optional<std::string> EnvOptions; // the file's bytes; none when the IDE has no such file
};
// The IDE's settings as they are. Raises an Exception when they cannot be read exactly.
TIdeSettings ReadIdeSettings(const Platform& platform, const TCompileTarget& target);
// The settings saved in an IDE's folder of a run. Raises an Exception naming what it cannot read.
TIdeSettings ReadSavedIdeSettings(const IFileSystem& files, const std::string& folder);

// The IDE settings a run changes, saved before its first change of each IDE, in a run
// folder of its own below BackupFolder, in a folder named as the product's folder for the
// IDE. An IDE's folder appears whole or not at all; a run that saves no IDE leaves no folder.
class TIdeBackup {
public:
    // Pruning keeps the kKeptBackups newest runs, this run always, and the run named keep
    // (the run a restore reads).
    explicit TIdeBackup(const Platform& platform, std::string keep = {}) : platform_(platform), keep_(std::move(keep))
    {
    }

    // Saves the IDE the first time the run asks for it and returns what was saved; nullptr,
    // after an Error line, when it cannot be saved exactly: the IDE must then be left unchanged.
    // The lines go to the log of the IDE's work.
    const TIdeSettings* Save(const TCompileTarget& target, TLogBase& log);
    // The run and its folder; none while no IDE is saved.
    const std::optional<TBackupRun>& Run() const { return run_; }
    std::string RunFolder() const;

private:
    void CreateRun(TLogBase& log);
    void Prune();

    const Platform& platform_;
    std::string keep_;
    std::optional<TBackupRun> run_;
    std::deque<std::pair<const TCompileTarget*, TIdeSettings>> saved_; // stable: callers keep pointers
};

} // namespace corvalis
