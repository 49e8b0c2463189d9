#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/Platform.h"

namespace corvalis {

class TInstallData;
class TTargetOptions;

// What the installer's exit code tells the script that started it.
enum TExitCode : int {
    ecDone = 0,    // done without an error line
    ecHelp = 1,    // the help was shown
    ecErrors = 2,  // done, with error lines in the log
    ecRefused = 3, // refused before anything was changed
    ecFailed = 4,  // stopped on a failure the run could not go on from
};

// A refusal before anything is changed, with the reason the user reads.
class TRefusal : public Exception {
public:
    using Exception::Exception;
};

// Why a folder given on the command line cannot hold the product; none when it can.
std::optional<std::string> InstallDirProblem(const std::string& folder);
// Why a Start-menu group given on the command line cannot be used; none when it can.
std::optional<std::string> StartFolderProblem(const std::string& group);

// The IDEs that are to hold the product after the run, as the command line names them:
// the installed ones for an automatic update, every one offered for "all"; none when the
// command line leaves the choice to the IDE page. Refuses an unknown name.
std::optional<std::vector<const TTargetOptions*>> WantedIdes(const TInstallData& data);

// Checks the command line against the installation data and takes its folders and
// compilation mode; refuses what no run could do (nothing installed to update or remove,
// an unknown IDE, a value no page would accept).
void CheckCommandLine(TInstallData& data);

// Decides a run without questions: the mode, and each IDE's Action from the IDEs wanted
// with the IDE page's checks. Refuses what the wizard would not let pass.
void DecideUnattendedRun(TInstallData& data);

// One line per IDE the IDE page offers: its name for --ides=, whether the product is
// installed there, its name as the IDE page shows it and why it cannot take the product.
std::vector<std::string> IdeListing(const TInstallData& data);

// The installation run without a window: each log line goes to the console as setup.log
// has it. Returns the exit code.
int RunUnattended(TInstallData& data, const Platform& platform);

} // namespace corvalis
