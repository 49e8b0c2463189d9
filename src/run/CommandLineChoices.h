#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "run/ExitCode.h"

namespace corvalis {

class TCmdOptions;
class TInstallData;
class TTargetOptions;

// "--ides=all": every IDE that passes the checks, as without the option.
bool AllIdes(const TCmdOptions& options);

// The IDEs that are to hold the product after the run, as the command line names them:
// the installed ones for an automatic update, every one offered for "all"; none when the
// command line leaves the choice to the IDE page. Refuses an unknown name.
std::optional<std::vector<const TTargetOptions*>> WantedIdes(const TInstallData& data);

// Refuses a valued option given empty (an unset variable of a script), in every mode.
void CheckOptionValues(const TCmdOptions& options);

// Checks the command line against the installation data and takes its folders and
// compilation mode; refuses what no run could do (nothing installed to update or remove,
// an unknown IDE, a value no page would accept).
void CheckCommandLine(TInstallData& data);

// Decides a run without questions (a silent run, an automatic update): the mode, and each
// IDE's Action from the IDEs wanted with the IDE page's checks. Refuses what the wizard
// would not let pass and a package that cannot be extracted; last, opens the --log= file.
void DecideUnattendedRun(TInstallData& data, const Platform& platform);

} // namespace corvalis
