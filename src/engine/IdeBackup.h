#pragma once

#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Platform.h"

namespace corvalis {

class TCompileTarget;
class TLogBase;

// The folder that holds one folder per run: <local application data>\Halvorn\Corvalis\Backup.
std::string BackupFolder(const Platform& platform);
// The run folders in the backup folder, oldest first: their names sort by time.
std::vector<std::string> BackupRunNames(const IFileSystem& files, const std::string& backupFolder);
// The name of a run's folder: "yyyy-mm-dd hh-nn-ss".
std::string BackupRunName(DateTime time);
// How many run folders are kept.
inline constexpr size_t kKeptBackups = 10;
// What an IDE's folder in a run holds: its user key, and its EnvOptions.proj when it has one.
inline constexpr const char* kBackupRegistryFile = "Registry.reg";
inline constexpr const char* kBackupEnvOptionsFile = "EnvOptions.proj";

// The IDE settings a run changes, saved before its first change of each IDE: the IDE's user
// key as Registry.reg and its EnvOptions.proj, in the run's folder below BackupFolder, in a
// folder named as the product's folder for the IDE.
class TIdeBackup {
public:
    TIdeBackup(const Platform& platform, TLogBase& log) : platform_(platform), log_(log) {}

    // Saves the IDE the first time the run asks for it. False, after an Error line, when it
    // cannot be saved: the IDE must then be left unchanged.
    bool Save(const TCompileTarget& target);

private:
    std::string RunFolder();

    const Platform& platform_;
    TLogBase& log_;
    std::string runFolder_;
    std::vector<const TCompileTarget*> saved_;
};

} // namespace corvalis
