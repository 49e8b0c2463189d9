#include "setup/Startup.h"

#include "platform/win32/WindowsSupport.h"

#include <commctrl.h>

#include "core/InstallData.h"
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

} // namespace

int RunInstaller(Win32Platform& machine, TCmdOptions& options)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    // The package's files lie beside the installer and are found by bare name.
    machine.files.SetCurrentDirectory(ExtractFileDir(machine.files.FullPath(machine.processes.ExecutablePath())));

    std::unique_ptr<TInstallData> installData;
    try {
        installData = std::make_unique<TInstallData>(machine.platform, options, ShowPlainMessage);
    } catch (const std::exception& error) {
        ShowPlainMessage(error.what());
        return 0;
    }
    try {
        if (installData->Targets->Count() == 0 && installData->Mode == imInstall) {
            ui::TfNoIDEWarning warning(installData->PackageVersion->DisplayText());
            if (warning.ShowModal() != ui::mrCancel)
                return 0;
        }
        ui::TfMain main(*installData, machine.platform);
        main.Start();
        ui::Application::Run();
    } catch (const std::exception& error) {
        ui::Application::ShowErrorBox(nullptr, error.what());
    }
    return 0;
}

} // namespace corvalis
