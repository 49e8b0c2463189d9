// The stand-in of an IDE's executable; the tests copy it to delphi32.exe, bcb.exe or bds.exe.
// It has no window and no console and only waits, so that process and module snapshots
// show it with its full path, until the test ends it (TerminateProcess) or, with
// /timeout:MS, the milliseconds have passed: exit code 1.
#include "platform/win32/WindowsSupport.h"

#include <cstdlib>

#include "ide/CmdLineUtils.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    DWORD timeout = INFINITE;
    for (const std::string& argument : corvalis::ParseCommandLine(::GetCommandLineA()))
        if (argument.rfind("/timeout:", 0) == 0)
            timeout = static_cast<DWORD>(std::strtoul(argument.c_str() + 9, nullptr, 10));
    ::Sleep(timeout);
    return 1;
}
