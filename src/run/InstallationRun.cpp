#include "run/InstallationRun.h"

#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "engine/Compile.h"
#include "ide/CmdLineUtils.h"
#include "run/SetupLog.h"
#include "run/TargetRows.h"

namespace corvalis {
namespace {

void RunOperations(TInstallData& data, const Platform& platform, TCompiler& compiler)
{
    for (const std::string& warning : data.RunWarnings)
        compiler.Log().Log(llWarning, warning);
    // Only an IDE started after the IDE page, or one let through by --ignore-ide, is
    // still running here: the run goes on, but the log says so.
    ForEachRunningIde(*data.TargetOptions, [&](const TTargetOptions& options) {
        compiler.Log().Log(llWarning, IdeRunningMessage(options));
    });
    TShellIntegration shell(platform, data);
    switch (data.Mode) {
    case imUninstall:
        compiler.UninstallFromIdes();
        shell.RemoveProductFiles(compiler.Log());
        compiler.Progress().StepDone();
        compiler.Log().LogInfo("Uninstall completed");
        break;
    case imUpdate:
        compiler.UninstallFromIdes();
        shell.RemoveProductFiles(compiler.Log());
        compiler.Progress().StepDone();
        compiler.InstallFiles();
        compiler.InstallIntoIdes();
        compiler.Log().LogInfo("Installation completed");
        break;
    case imInstall:
        compiler.InstallFiles();
        compiler.InstallIntoIdes();
        compiler.Log().LogInfo("Installation completed");
        break;
    case imMaintenance:
        compiler.InstallIntoIdes();
        compiler.Log().LogInfo("Installation completed");
        break;
    }
}

} // namespace

void RunInstallation(TInstallData& data, const Platform& platform, TProgressLog& log, IInstallationRunView& view)
{
    const std::string& logCopy = data.Options.LogFile;
    data.SaveToRegistry();
    try {
        TCompiler compiler(platform, data);
        log.Clear();
        compiler.Log().OnLog = [&view](TLogBase& sender, TLogLevel level, const std::u16string& text, DateTime time) {
            view.LogMessage(sender, level, text, time);
        };
        compiler.Log().OnIdle = [&view] { view.Idle(); };
        TProgressPlan& progress = compiler.Progress();
        progress.OnProgress = [&view](int done, int total) { view.ShowProgress(done, total); };
        view.ShowProgress(0, progress.Total());
        RunOperations(data, platform, compiler);
    } catch (...) {
        // The copy the command line asked for tells what happened up to the failure; the
        // failure itself is what the user is told, also when the copy cannot be written.
        try {
            if (!logCopy.empty())
                log.SaveAs(platform.files, logCopy);
        } catch (const std::exception&) {
        }
        throw;
    }
    if (data.Mode == imUninstall)
        view.ShowSetupLog(std::nullopt);
    else
        view.ShowSetupLog(log.Save(platform.files, data.InstallDir));
    if (!logCopy.empty())
        log.SaveAs(platform.files, logCopy);
    view.RunSucceeded();
}

} // namespace corvalis
