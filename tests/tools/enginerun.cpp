// The installation's file steps without the wizard, for the Windows tests: copied into an
// installer package as setup.exe, it runs from there as the installer does.
//   setup.exe install FOLDER   extract the package into FOLDER and integrate it with the shell
//   setup.exe ides             build and register the product in every IDE it can go into
//   setup.exe remove-ides      take the product out of every IDE it is installed in
//   setup.exe remove           remove the installed product (run from its Uninstall folder)
// Log lines go to standard output; a failure's message to standard error, exit code 1;
// error lines in the log give exit code 3.
#include "platform/win32/WindowsSupport.h"

#include <cstdio>

#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "engine/Compile.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "platform/Exceptions.h"
#include "platform/win32/Win32Platform.h"

int main()
{
    using namespace corvalis;
    Win32Platform machine;
    const std::vector<std::string> arguments = ParseCommandLine(::GetCommandLineA());
    machine.files.SetCurrentDirectory(ExtractFileDir(machine.processes.ExecutablePath()));
    try {
        TCmdOptions options({}, machine.files, machine.console);
        TInstallData data(machine.platform, options,
                          [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
        TCompiler compiler(machine.platform, data);
        bool errors = false;
        compiler.Log().OnLog = [&](TLogBase&, TLogLevel level, const std::u16string& text, DateTime) {
            errors = errors || level >= llError;
            std::printf("%s\n", Utf16ToUtf8(text).c_str());
        };
        if (arguments.size() == 2 && arguments[0] == "install") {
            data.InstallDir = arguments[1];
            data.SaveToRegistry();
            compiler.InstallFiles();
        } else if (arguments.size() == 1 && arguments[0] == "ides") {
            for (int i = 0; i < data.TargetOptions->Count(); ++i)
                if ((*data.TargetOptions)[i].Target.VersionNumber >= 5)
                    (*data.TargetOptions)[i].Action = taInstall;
            compiler.InstallIntoIdes();
        } else if (arguments.size() == 1 && arguments[0] == "remove-ides") {
            compiler.UninstallFromIdes();
        } else if (arguments.size() == 1 && arguments[0] == "remove") {
            TShellIntegration(machine.platform, data).RemoveProductFiles(compiler.Log());
        } else {
            std::fprintf(stderr, "usage: setup.exe install FOLDER | ides | remove-ides | remove\n");
            return 2;
        }
        if (errors)
            return 3;
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.Message().c_str());
        return 1;
    }
    return 0;
}
