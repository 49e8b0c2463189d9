// The Windows program of one stand-in: CMake names its function in CORVALIS_STANDIN. It
// runs the tool on the real files with its own command line, folder, path and
// environment, and hands on what the tool prints, in the OEM code page as console tools
// print, and its exit code. The tools of an IDE read their command line and their folder in
// the system code page, as the old programs they stand for do; the extractor
// (CORVALIS_STANDIN_EXTRACTOR) reads Unicode. CORVALIS_CRASH naming the program's file makes it
// crash instead; CORVALIS_TOOL_MS makes each of the IDE's tools take that many milliseconds,
// asleep, as a real build of a package takes its time (the extractor, run once before any IDE,
// does not take it).
// CORVALIS_HOLD naming the program's file makes it wait until the file CORVALIS_RELEASE names
// exists: a test looks at the run while its tools wait.
#include "platform/win32/WindowsSupport.h"

#include <string>

#include "ide/Utils.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32Processes.h"
#include "standins/Bpr2Mak.h"
#include "standins/Dcc32.h"
#include "standins/Make.h"
#include "standins/Unrar.h"

namespace {

void Print(DWORD stream, const std::string& text)
{
    const std::string oem = corvalis::win32::ToCodePage(CP_OEMCP, corvalis::win32::Widen(text), true).value_or("");
    DWORD written = 0;
    if (!oem.empty())
        ::WriteFile(::GetStdHandle(stream), oem.data(), static_cast<DWORD>(oem.size()), &written, nullptr);
}

} // namespace

int main()
{
    corvalis::Win32Files files;
    const corvalis::Win32Locale locale;
    const corvalis::Win32Processes processes;
    // A tool that crashes, as the installer must expect of any.
    if (corvalis::SameText(processes.GetEnv("CORVALIS_CRASH").value_or(""),
                           corvalis::ExtractFileName(processes.ExecutablePath())))
        ::RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
#ifdef CORVALIS_STANDIN_EXTRACTOR
    const std::string commandLine = corvalis::win32::Narrow(::GetCommandLineW());
    const std::string folder = files.CurrentDirectory();
#else
    char folderBuffer[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, folderBuffer);
    const std::string commandLine = locale.AnsiToUtf8(::GetCommandLineA());
    const std::string folder = locale.AnsiToUtf8(folderBuffer);
#endif
    if (corvalis::SameText(processes.GetEnv("CORVALIS_HOLD").value_or(""),
                           corvalis::ExtractFileName(processes.ExecutablePath())))
        while (!files.FileExists(processes.GetEnv("CORVALIS_RELEASE").value_or("")))
            ::Sleep(20);
#ifndef CORVALIS_STANDIN_EXTRACTOR
    if (const auto milliseconds = processes.GetEnv("CORVALIS_TOOL_MS"))
        ::Sleep(static_cast<DWORD>(std::stoul(*milliseconds)));
#endif
    const corvalis::standins::ToolRun run =
        corvalis::standins::CORVALIS_STANDIN(files, locale, commandLine, folder, processes.ExecutablePath(),
                                             [&](const std::string& name) { return processes.GetEnv(name); });
    Print(STD_OUTPUT_HANDLE, run.output);
    Print(STD_ERROR_HANDLE, run.error);
    return run.exitCode;
}
