#pragma once

#include <string>

#include "engine/uLogger.h"
#include "platform/Platform.h"

namespace corvalis {

class TInstallData;

// The build-and-install engine of one installation run. It owns only its log; everything
// it works on belongs to the installation data and the IDEs.
class TCompiler {
public:
    TCompiler(const Platform& platform, TInstallData& installData);

    TLogBase& Log() { return FLog; }

    // The tool's exit code, -1 when it cannot be started, -2 when a pipe cannot be created.
    int32_t RunProcess(const std::string& commandLine, const std::string& workingFolder);

    // Extracts the distribution and makes the product known to the shell; records it as installed.
    void InstallFiles();
    void ExtractDistribution();

private:
    const Platform& platform_;
    TInstallData& installData_;
    TLogToList FLog;
};

// The name of the running Windows for the log; empty for versions it has no name for.
std::string WindowsName(const WindowsVersion& version);

}  // namespace corvalis
