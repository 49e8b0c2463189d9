#pragma once

#include <optional>
#include <string>

#include "engine/uLogger.h"
#include "platform/Platform.h"

namespace corvalis {

class TInstallData;
class TProgressLog;

// What the compile page shows of the installation run.
class IInstallationRunView {
public:
    // Every message of the engine, as it is logged; it lets the window process its messages.
    virtual void LogMessage(TLogBase& sender, TLogLevel level, const std::u16string& text, DateTime time) = 0;
    // Where setup.log was saved; nullopt after an uninstall, which writes none.
    virtual void ShowSetupLog(const std::optional<std::string>& path) = 0;
    // The run is over: Cancel off, Next on.
    virtual void RunSucceeded() = 0;

protected:
    ~IInstallationRunView() = default;
};

// The installation run of the compile page: the engine's operations in the order of the
// mode, then setup.log. A failure of an operation leaves it, after the engine is released;
// errors the engine only logs do not.
void RunInstallation(TInstallData& data, const Platform& platform, TProgressLog& log, IInstallationRunView& view);

} // namespace corvalis
