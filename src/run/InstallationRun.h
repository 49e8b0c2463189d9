#pragma once

#include <optional>
#include <string>

#include "engine/ProgressPlan.h"
#include "log/uLogger.h"
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
    // The steps done of the run's total; first called with none done, before the first step.
    virtual void ShowProgress(int /*done*/, int /*total*/) {}
    // While IDEs are worked on side by side, which are at which step; none once they are
    // all in the log.
    virtual void ShowIdesAtWork(const std::vector<TIdeAtWork>& /*ides*/) {}
    // The run waits for a tool: what a view holds back is due now.
    virtual void Idle() {}

protected:
    ~IInstallationRunView() = default;
};

// The installation run of the compile page: the engine's operations in the order of the
// mode, then setup.log. A failure of an operation leaves it, after the engine is released;
// errors the engine only logs do not.
void RunInstallation(TInstallData& data, const Platform& platform, TProgressLog& log, IInstallationRunView& view);

} // namespace corvalis
