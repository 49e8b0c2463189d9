// The Windows program of one stand-in: CMake names its function in CORVALIS_STANDIN. It
// runs the tool on the real files with its own command line, folder, path and
// environment, and hands on what the tool prints and its exit code; CORVALIS_CRASH naming
// the program's file makes it crash instead.
#include "platform/win32/WindowsSupport.h"

#include "ide/Utils.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Processes.h"
#include "standins/Bpr2Mak.h"
#include "standins/Dcc32.h"
#include "standins/Make.h"
#include "standins/Unrar.h"

namespace {

void Print(DWORD stream, const std::string& text)
{
    DWORD written = 0;
    if (!text.empty())
        ::WriteFile(::GetStdHandle(stream), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace

int main()
{
    corvalis::Win32Files files;
    const corvalis::Win32Processes processes;
    // A tool that crashes, as the installer must expect of any.
    if (corvalis::SameText(processes.GetEnv("CORVALIS_CRASH").value_or(""),
                           corvalis::ExtractFileName(processes.ExecutablePath())))
        ::RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    const corvalis::standins::ToolRun run = corvalis::standins::CORVALIS_STANDIN(
        files, ::GetCommandLineA(), files.CurrentDirectory(), processes.ExecutablePath(),
        [&](const std::string& name) { return processes.GetEnv(name); });
    Print(STD_OUTPUT_HANDLE, run.output);
    Print(STD_ERROR_HANDLE, run.error);
    return run.exitCode;
}
