#pragma once

#include <string>

#include "engine/uLogger.h"
#include "platform/Platform.h"

namespace corvalis {

// The build-and-install engine of one installation run. It owns only its log; everything
// else it works on belongs to the installation data and the targets.
class TCompiler {
public:
    explicit TCompiler(const Platform& platform);

    TLogBase& Log() { return FLog; }

    // The tool's exit code, -1 when it cannot be started, -2 when a pipe cannot be created.
    int32_t RunProcess(const std::string& commandLine, const std::string& workingFolder);

private:
    const Platform& platform_;
    TLogToList FLog;
};

} // namespace corvalis
