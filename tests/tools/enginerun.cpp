// The installation's file steps without the wizard, for the Windows tests: copied into an
// installer package as setup.exe, it runs from there as the installer does.
//   setup.exe install FOLDER   extract the package into FOLDER and integrate it with the shell
//   setup.exe remove           remove the installed product (run from its Uninstall folder)
// Log lines go to standard output; a failure's message to standard error, exit code 1.
#include "platform/win32/WindowsSupport.h"

#include <cstdio>

#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "engine/Compile.h"
#include "ide/CmdLineUtils.h"
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
        compiler.Log().OnLog = [&](TLogBase&, TLogLevel, const std::u16string& text, DateTime) {
            std::printf("%s\n", machine.locale.WideToAnsi(text).c_str());
        };
        if (arguments.size() == 2 && arguments[0] == "install") {
            data.InstallDir = arguments[1];
            data.SaveToRegistry();
            compiler.InstallFiles();
        } else if (arguments.size() == 1 && arguments[0] == "remove") {
            TShellIntegration(machine.platform, data).RemoveProductFiles(compiler.Log());
        } else {
            std::fprintf(stderr, "usage: setup.exe install FOLDER | remove\n");
            return 2;
        }
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.Message().c_str());
        return 1;
    }
    return 0;
}
