#pragma once

#include "platform/Exceptions.h"

namespace corvalis {

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

} // namespace corvalis
