#include "setup/Startup.h"

#include "platform/win32/WindowsSupport.h"

#include <commctrl.h>

#include "core/InstallData.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/Utils.h"
#include "platform/Exceptions.h"
#include "platform/win32/Win32Platform.h"
#include "run/CommandLineChoices.h"
#include "run/SetupLog.h"
#include "run/UserAccount.h"
#include "ui/Application.h"
#include "ui/uAccountWarning.h"
#include "ui/uMain.h"
#include "ui/uNoIDEWarning.h"
#include "unattended/IdeRestore.h"
#include "unattended/Unattended.h"

namespace corvalis {
namespace {

void ShowPlainMessage(const std::string& text)
{
    ui::ShowMessageBox(nullptr, text, MB_OK);
}

int RunWizard(Win32Platform& machine, TInstallData& installData)
{
    try {
        if (installData.Targets->Count() == 0 && installData.Mode == imInstall) {
            ui::TfNoIDEWarning warning(installData.PackageVersion->DisplayText());
            if (warning.ShowModal() != ui::mrCancel)
                return ecDone;
        }
        ui::TfMain main(installData, machine.platform);
        main.Start();
        ui::Application::Run();
        return main.ExitCode();
    } catch (const std::exception& error) {
        ui::Application::ShowErrorBox(nullptr, error.what());
        return ecFailed;
    }
}

} // namespace

int RunInstaller(Win32Platform& machine, TCmdOptions& options)
{
    // "--restore=" given empty asks for a restore too, which refuses it without a window.
    const bool restore =
        options.Restore || !options.RestoreFolder.empty() || ContainsText(options.EmptyValues, "--restore=");
    const bool windows = !options.Silent && !options.ListIdes && !restore;
    // Nobody answers a system error dialog (a crash, a drive without a disk) in a run without
    // windows; the tools the run starts inherit the mode.
    ::SetErrorMode(windows ? SEM_FAILCRITICALERRORS
                           : SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    IConsole& console = machine.console;
    if (!windows)
        console.Attach();
    if (restore)
        return RunRestore(machine.platform, options);
    // A refusal goes to standard error, and to the screen when the user expects windows.
    const auto refuse = [&](const std::string& reason) {
        console.WriteError(reason);
        if (windows)
            ShowPlainMessage(reason);
        return ecRefused;
    };
    if (windows) {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        if (!ui::ConfirmAccount(machine.shell))
            return ecRefused;
    }
    // The log's copy is named from where the user started the installer.
    if (!options.LogFile.empty())
        options.LogFile = machine.files.FullPath(options.LogFile);
    // The package's files lie beside the installer and are found by bare name.
    machine.files.SetCurrentDirectory(ExtractFileDir(machine.files.FullPath(machine.processes.ExecutablePath())));

    std::unique_ptr<TInstallData> installData;
    try {
        installData = std::make_unique<TInstallData>(machine.platform, options,
                                                     windows ? TShowMessage(ShowPlainMessage) : TShowMessage());
    } catch (const std::exception& error) {
        return refuse(error.what());
    }
    try {
        if (options.ListIdes) {
            CheckCommandLine(*installData);
            for (const std::string& line : IdeListing(*installData))
                console.WriteLine(line);
            return ecDone;
        }
        if (options.Silent) {
            // Nobody to ask: the run goes on and its log says whose settings it changed.
            if (const auto warning = AccountWarning(machine.shell))
                installData->RunWarnings.push_back(*warning);
            return RunUnattended(*installData, machine.platform);
        }
        if (options.AutoUpdate) {
            DecideUnattendedRun(*installData, machine.platform);
        } else {
            CheckCommandLine(*installData);
            OpenLogCopy(machine.platform, options.LogFile);
        }
    } catch (const TRefusal& refusal) {
        return refuse(refusal.Message());
    }
    return RunWizard(machine, *installData);
}

} // namespace corvalis
