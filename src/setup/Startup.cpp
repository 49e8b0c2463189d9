#include "setup/Startup.h"

#include "platform/win32/WindowsSupport.h"

#include <commctrl.h>

#include "core/IdeBackup.h"
#include "core/InstallData.h"
#include "engine/uLogger.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/Utils.h"
#include "platform/Exceptions.h"
#include "platform/win32/Win32Platform.h"
#include "ui/Application.h"
#include "ui/SetupLog.h"
#include "ui/uAccountWarning.h"
#include "ui/uMain.h"
#include "ui/uNoIDEWarning.h"

namespace corvalis {
namespace {

void ShowPlainMessage(const std::string& text)
{
    ::MessageBoxA(nullptr, text.c_str(), ui::kApplicationTitle, MB_OK);
}

// Writes a line to an inherited standard handle; a program started without one writes nothing.
void WriteStandardLine(DWORD handleId, const std::string& line)
{
    const HANDLE handle = ::GetStdHandle(handleId);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || ::GetFileType(handle) == FILE_TYPE_UNKNOWN)
        return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

int RunRestore(Win32Platform& machine, TCmdOptions& options)
{
    TLogToList log(machine.locale);
    log.OnLog = [&machine](TLogBase&, TLogLevel level, const std::u16string& text, DateTime time) {
        WriteStandardLine(STD_OUTPUT_HANDLE,
                          FormatLogLine(time, level, machine.locale.WideToAnsi(text), machine.locale.TimeSeparator()));
    };
    const TRestoreResult result = RestoreIdeSettings(machine.platform, options, options.RestoreFolder, log);
    if (!result.Refusal.empty())
        WriteStandardLine(STD_ERROR_HANDLE, result.Refusal);
    return result.ExitCode;
}

} // namespace

int RunInstaller(Win32Platform& machine, TCmdOptions& options)
{
    if (options.Restore || !options.RestoreFolder.empty())
        return RunRestore(machine, options);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    if (!ui::ConfirmAccount(machine.shell))
        return 0;
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
