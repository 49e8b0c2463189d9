#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/ExitCode.h"

namespace corvalis {

class TCmdOptions;
class TInstallData;
class TTargetOptions;

// Why a folder given on the command line cannot hold the product; none when it can.
std::optional<std::string> InstallDirProblem(const std::string& folder);
// Why a Start-menu group given on the command line cannot be used; none when it can.
std::optional<std::string> StartFolderProblem(const std::string& group);

// "--ides=all": every IDE that passes the checks, as without the option.
bool AllIdes(const TCmdOptions& options);

// The IDEs that are to hold the product after the run, as the command line names them:
// the installed ones for an automatic update, every one offered for "all"; none when the
// command line leaves the choice to the IDE page. Refuses an unknown name.
std::optional<std::vector<const TTargetOptions*>> WantedIdes(const TInstallData& data);

// Checks the command line against the installation data and takes its folders and
// compilation mode; refuses what no run could do (nothing installed to update or remove,
// an unknown IDE, a value no page would accept).
void CheckCommandLine(TInstallData& data);

// Decides a run without questions (a silent run, an automatic update): the mode, and each
// IDE's Action from the IDEs wanted with the IDE page's checks. Refuses what the wizard
// would not let pass.
void DecideUnattendedRun(TInstallData& data);

} // namespace corvalis
