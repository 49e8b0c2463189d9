#include "unattended/Unattended.h"

#include <algorithm>

#include "core/InstallData.h"
#include "engine/ProgressPlan.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "run/CommandLineChoices.h"
#include "run/InstallationRun.h"
#include "run/SetupLog.h"
#include "run/TargetRows.h"

namespace corvalis {
namespace {

class TConsoleRunView : public IInstallationRunView {
public:
    TConsoleRunView(TProgressLog& log, IConsole& console) : log_(log), console_(console) {}

    void LogMessage(TLogBase&, TLogLevel level, const std::u16string& text, DateTime time) override
    {
        log_.Add(level, text, time);
        console_.WriteLine(log_.LogLines().back());
    }
    void ShowSetupLog(const std::optional<std::string>&) override {}
    void RunSucceeded() override {}
    void ShowProgress(int done, int total) override { console_.WriteLine(FormatStepCount(done, total)); }

private:
    TProgressLog& log_;
    IConsole& console_;
};

} // namespace

std::vector<std::string> IdeListing(const TInstallData& data)
{
    std::vector<std::string> lines;
    for (const TTargetOptions* ide : OfferedIdes(data)) {
        std::string line = ProductFolderName(ide->Target);
        line.resize(std::max<size_t>(line.size(), 14), ' ');
        line += std::string(ide->Installed ? "installed    " : "not installed") + "  " + ide->Target.DisplayName();
        if (const auto problem = TargetProblemLine(*ide))
            line += ": " + *problem;
        lines.push_back(line);
    }
    return lines;
}

int RunUnattended(TInstallData& data, const Platform& platform)
{
    try {
        DecideUnattendedRun(data, platform);
    } catch (const TRefusal& refusal) {
        platform.console.WriteError(refusal.Message());
        return ecRefused;
    }
    TProgressLog log(platform.locale);
    TConsoleRunView view(log, platform.console);
    try {
        RunInstallation(data, platform, log, view);
    } catch (const std::exception& error) {
        platform.console.WriteError(error.what());
        return ecFailed;
    }
    return log.HasErrors() ? ecErrors : ecDone;
}

} // namespace corvalis
