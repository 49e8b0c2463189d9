#pragma once

#include <string>

#include "platform/Platform.h"

namespace corvalis {

class TCmdOptions;
class TLogBase;

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


// --restore and --restore=FOLDER: the restore's log lines, in the setup.log format, go to
// standard output and a refusal to standard error. Returns the exit code.
int RunRestore(const Platform& platform, TCmdOptions& options);

} // namespace corvalis
