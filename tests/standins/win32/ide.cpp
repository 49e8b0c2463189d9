// The stand-in of an IDE's executable; the tests copy it to delphi32.exe, bcb.exe or bds.exe.
// It has no window and no console and only waits, so that process and module snapshots
// show it with its full path, until one of:
//   the test ends it (TerminateProcess);
//   /event:NAME  the named event is set: exit code 0 (the test may create and set it first);
//   /timeout:MS  the milliseconds have passed: exit code 1.
// Without arguments it waits until it is ended; any other argument: exit code 2.
#include "platform/win32/WindowsSupport.h"

#include <cstdlib>

#include "ide/CmdLineUtils.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    std::string eventName;
    DWORD timeout = INFINITE;
    for (const std::string& argument : corvalis::ParseCommandLine(::GetCommandLineA())) {
        if (argument.rfind("/event:", 0) == 0)
            eventName = argument.substr(7);
        else if (argument.rfind("/timeout:", 0) == 0)
            timeout = static_cast<DWORD>(std::strtoul(argument.c_str() + 9, nullptr, 10));
        else
            return 2;
    }
    // Manual reset: set before this program opens it, the event still ends the wait.
    const corvalis::win32::ScopedKernelHandle event(
        ::CreateEventA(nullptr, TRUE, FALSE, eventName.empty() ? nullptr : eventName.c_str()));
    if (!event)
        return 2;
    return ::WaitForSingleObject(event.Get(), timeout) == WAIT_OBJECT_0 ? 0 : 1;
}
