#include "setup/Startup.h"

#include "platform/win32/WindowsSupport.h"

#include <commctrl.h>

#include "core/InstallData.h"
#include "core/Unattended.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/Utils.h"
#include "platform/Exceptions.h"
#include "platform/win32/Win32Platform.h"
#include "ui/Application.h"
#include "ui/uMain.h"
#include "ui/uNoIDEWarning.h"

namespace corvalis {
namespace {

void ShowPlainMessage(const std::string& text)
{
    ::MessageBoxA(nullptr, text.c_str(), ui::kApplicationTitle, MB_OK);
}

int RunWizard(Win32Platform& machine, TInstallData& installData)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
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
    const bool windows = !options.Silent && !options.ListIdes;
    IConsole& console = machine.console;
    if (!windows)
        console.Attach();
    // A refusal goes to standard error, and to the screen when the user expects windows.
    const auto refuse = [&](const std::string& reason) {
        console.WriteError(reason);
        if (windows)
            ShowPlainMessage(reason);
        return ecRefused;
    };
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
        if (options.Silent)
            return RunUnattended(*installData, machine.platform);
        if (options.AutoUpdate)
            DecideUnattendedRun(*installData);
        else
            CheckCommandLine(*installData);
    } catch (const TRefusal& refusal) {
        return refuse(refusal.Message());
    }
    return RunWizard(machine, *installData);
}

} // namespace corvalis
