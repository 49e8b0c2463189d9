#include "platform/win32/WindowsSupport.h"

#include "ide/CmdLineUtils.h"
#include "platform/win32/Win32Platform.h"
#include "setup/Startup.h"

namespace {

// An installer is run from download folders, where a planted DLL would be found before
// the system's own: load DLLs from the system folder only, before anything loads one.
void RestrictDllSearch()
{
    constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryAFunction = BOOL(WINAPI*)(LPCSTR);
    if (auto setDefault = corvalis::win32::SystemFunction<SetDefaultDllDirectoriesFunction>("kernel32.dll",
                                                                                            "SetDefaultDllDirectories"))
        setDefault(kLoadLibrarySearchSystem32);
    else if (auto setDirectory =
                 corvalis::win32::SystemFunction<SetDllDirectoryAFunction>("kernel32.dll", "SetDllDirectoryA"))
        setDirectory(""); // takes at least the current folder out of the search
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    corvalis::Win32Platform win32;
    corvalis::TCmdOptions options(corvalis::ParseCommandLine(corvalis::win32::Narrow(::GetCommandLineW())), win32.files, win32.console);
    return corvalis::RunInstaller(win32, options);
}
