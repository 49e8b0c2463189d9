// Makes a test installer package folder (see InstallerPackage.h):
//     mkpackage <folder> <version text> [/withsrcs] [/metapvds] [/setup:<path of setup.exe>]
// The unrar.exe stand-in is copied from beside this program. Exit code 0; 1 with a message
// on standard error when an argument is wrong or a file cannot be written.
#include <cstdio>
#include <stdexcept>

#include "ide/CmdLineUtils.h"
#include "ide/Utils.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/WindowsSupport.h"
#include "product/InstallerPackage.h"

int main()
{
    using namespace corvalis;
    const std::vector<std::string> arguments = ParseCommandLine(::GetCommandLineA());
    product::PackageContent content;
    content.unrarPath = PathJoin(ExtractFileDir(Win32Processes().ExecutablePath()), "unrar.exe");
    bool valid = arguments.size() >= 2;
    for (size_t i = 2; i < arguments.size() && valid; ++i) {
        if (SameText(arguments[i], "/withsrcs"))
            content.withSources = true;
        else if (SameText(arguments[i], "/metapvds"))
            content.withConnectivity = true;
        else if (StartsText("/setup:", arguments[i]) && arguments[i].size() > 7)
            content.setupPath = arguments[i].substr(7);
        else
            valid = false;
    }
    if (!valid) {
        std::fputs("usage: mkpackage <folder> <version text> [/withsrcs] [/metapvds] [/setup:<setup.exe>]\n", stderr);
        return 1;
    }
    content.version = arguments[1];
    try {
        Win32Files files;
        product::WriteInstallerPackage(files, arguments[0], content);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mkpackage: %s\n", error.what());
        return 1;
    }
    return 0;
}
