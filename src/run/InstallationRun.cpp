#include "run/InstallationRun.h"

#include <utility>

#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "engine/Compile.h"
#include "ide/CmdLineUtils.h"
#include "ide/Utils.h"
#include "platform/Exceptions.h"
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

// The copy the command line asked for. The run is done by then: a copy that cannot be
// written is only warned of, and an uninstall does not make again the folder it removed.
void SaveLogCopy(const TInstallData& data, const Platform& platform, const TProgressLog& log, TLogBase& runLog)
{
    const std::string& path = data.Options.LogFile;
    if (path.empty())
        return;
    try {
        log.SaveAs(platform.files, path, data.Mode != imUninstall);
    } catch (const std::exception& error) {
        runLog.Log(llWarning, "The log could not be written to " + path + ". " + error.what());
    }
}

// Where the lines go as they are written: setup.log, which the end of the run writes whole.
// An uninstall removes the installation folder and writes no setup.log by design: its lines
// wait in the temporary folder until it ends.
std::string LiveLogPath(const TInstallData& data, const Platform& platform)
{
    if (data.Mode == imUninstall)
        return PathJoin(platform.files.TempDirectory(), "Corvalis uninstall.log");
    return IncludeTrailingPathDelimiter(data.InstallDir) + "setup.log";
}

// A first installation that did not end left its files in the folder it recorded. Made in
// another folder now, it takes them away before it records the new one: no run leaves
// files that nothing records.
void RemoveFilesOfStoppedInstallation(TInstallData& data, const Platform& platform)
{
    if (data.Mode != imInstall || !data.ProductInstalled ||
        SameText(ExcludeTrailingPathDelimiter(data.RecordedInstallDir), ExcludeTrailingPathDelimiter(data.InstallDir)))
        return;
    const std::string chosen = std::exchange(data.InstallDir, data.RecordedInstallDir);
    TLogToList removal{platform.locale};
    TShellIntegration(platform, data).RemoveProductFiles(removal);
    data.InstallDir = chosen;
    data.RunWarnings.push_back("The files that the installation which did not end left in " +
                               data.RecordedInstallDir + " are removed.");
}

} // namespace

void RunInstallation(TInstallData& data, const Platform& platform, TProgressLog& log, IInstallationRunView& view)
{
    // Nothing is removed for a package that could not put the product back.
    if (data.Mode == imInstall || data.Mode == imUpdate)
        if (const auto problem = ExtractionProblem(platform.files))
            throw Exception(*problem);
    RemoveFilesOfStoppedInstallation(data, platform);
    data.RecordRunStart();
    TCompiler compiler(platform, data);
    log.Clear();
    const std::string liveLog = LiveLogPath(data, platform);
    log.WriteThrough(platform.files, liveLog);
    compiler.Log().OnLog = [&view](TLogBase& sender, TLogLevel level, const std::u16string& text, DateTime time) {
        view.LogMessage(sender, level, text, time);
    };
    compiler.Log().OnIdle = [&view] { view.Idle(); };
    TProgressPlan& progress = compiler.Progress();
    progress.OnProgress = [&view](int done, int total) { view.ShowProgress(done, total); };
    progress.OnIdesAtWork = [&view](const std::vector<TIdeAtWork>& ides) { view.ShowIdesAtWork(ides); };
    view.ShowProgress(0, progress.Total());
    try {
        RunOperations(data, platform, compiler);
        data.RecordRunEnd();
    } catch (...) {
        log.EndWriteThrough();
        // The copy tells what happened up to the failure; the failure itself is what the
        // user is told.
        SaveLogCopy(data, platform, log, compiler.Log());
        throw;
    }
    log.EndWriteThrough();
    SaveLogCopy(data, platform, log, compiler.Log());
    if (data.Mode == imUninstall) {
        platform.files.DeleteFile(liveLog);
        view.ShowSetupLog(std::nullopt);
    } else
        view.ShowSetupLog(log.Save(platform.files, data.InstallDir));
    view.RunSucceeded();
}

} // namespace corvalis
