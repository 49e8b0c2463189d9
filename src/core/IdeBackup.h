#pragma once

#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Platform.h"

namespace corvalis {

class TCmdOptions;
class TCompileTarget;
class TLogBase;

// The folder that holds one folder per run: <local application data>\Halvorn\Corvalis\Backup.
std::string BackupFolder(const Platform& platform);
// The name of a run's folder: "yyyy-mm-dd hh-nn-ss".
std::string BackupRunName(DateTime time);
// How many run folders are kept.
inline constexpr size_t kKeptBackups = 10;

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

// What a restore did: the program's exit code (0 restored, 2 some IDE not restored, 3
// refused before any change) and, for a refusal, its reason.
struct TRestoreResult {
    int ExitCode = 0;
    std::string Refusal;
};

// Puts back every IDE of a backup run: the given folder (a path, or a run's name), or the
// most recent run when it is empty. A running IDE refuses the whole restore unless
// IgnoreIde is set.
TRestoreResult RestoreIdeSettings(const Platform& platform, TCmdOptions& options, const std::string& folder,
                                  TLogBase& log);

} // namespace corvalis
