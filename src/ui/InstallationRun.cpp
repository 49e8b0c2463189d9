#include "ui/InstallationRun.h"

#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "engine/Compile.h"
#include "ui/SetupLog.h"

namespace corvalis {

void RunInstallation(TInstallData& data, const Platform& platform, TProgressLog& log, IInstallationRunView& view)
{
    data.SaveToRegistry();
    {
        TCompiler compiler(platform, data);
        log.Clear();
        compiler.Log().OnLog = [&view](TLogBase& sender, TLogLevel level, const std::u16string& text, DateTime time) {
            view.LogMessage(sender, level, text, time);
        };
        compiler.Log().OnIdle = [&view] { view.Idle(); };
        TProgressPlan& progress = compiler.Progress();
        progress.OnProgress = [&view](int done, int total) { view.ShowProgress(done, total); };
        view.ShowProgress(0, progress.Total());
        TShellIntegration shell(platform, data);
        switch (data.Mode) {
        case imUninstall:
            compiler.UninstallFromIdes();
            shell.RemoveProductFiles(compiler.Log());
            progress.StepDone();
            compiler.Log().LogInfo("Uninstall completed");
            break;
        case imUpdate:
            compiler.UninstallFromIdes();
            shell.RemoveProductFiles(compiler.Log());
            progress.StepDone();
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
    if (data.Mode == imUninstall)
        view.ShowSetupLog(std::nullopt);
    else
        view.ShowSetupLog(log.Save(platform.files, data.InstallDir));
    view.RunSucceeded();
}

} // namespace corvalis
