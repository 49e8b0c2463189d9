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
    struct Row {
        std::string name, state, ide;
    };
    std::vector<Row> rows;
    for (const TTargetOptions* ide : OfferedIdes(data)) {
        Row row{ProductFolderName(ide->Target), ide->Installed ? "installed" : "not installed",
                ide->Target.DisplayName()};
        if (const auto problem = TargetProblemLine(*ide))
            row.ide += ": " + *problem;
        rows.push_back(row);
    }
    // An IDE newer than the installer has no name for --ides=: it cannot be chosen.
    for (const auto& ide : data.Targets->UnknownVersions())
        rows.push_back({"-", "not offered",
                        ide->DisplayName() + ": a version this installer does not know; a later Corvalis installer "
                                             "may support it."});
    // The names' column is as wide as the longest name and two blanks, at least 14.
    size_t width = 14;
    for (const Row& row : rows)
        width = std::max(width, row.name.size() + 2);
    std::vector<std::string> lines;
    for (Row& row : rows) {
        row.name.resize(width, ' ');
        row.state.resize(13, ' ');
        lines.push_back(row.name + row.state + "  " + row.ide);
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
