#include "platform/win32/Win32Shell.h"

#include "platform/win32/WindowsSupport.h"

#include <shellapi.h>
#include <shlobj.h>

namespace corvalis {
namespace {

int Csidl(SpecialFolder folder)
{
    switch (folder) {
    case SpecialFolder::Programs: return CSIDL_PROGRAMS;
#ifdef _WIN64
    // The 64-bit test build stands in for the 32-bit program, which sees the x86 folder.
    case SpecialFolder::ProgramFiles: return CSIDL_PROGRAM_FILESX86;
#else
    case SpecialFolder::ProgramFiles: return CSIDL_PROGRAM_FILES;
#endif
    case SpecialFolder::Personal: return CSIDL_PERSONAL;
    case SpecialFolder::AppData: return CSIDL_APPDATA;
    case SpecialFolder::CommonDocuments: return CSIDL_COMMON_DOCUMENTS;
    }
    return CSIDL_PERSONAL;
}

} // namespace

std::optional<std::string> Win32Shell::FolderPath(SpecialFolder folder) const
{
    char path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, Csidl(folder), nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::nullopt;
    return std::string(path);
}

bool Win32Shell::CreateShortcut(const std::string& linkFile, const std::string& target,
                                const std::string& workingFolder)
{
    win32::ComPtr<IShellLinkA> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.ReceiveVoid())))
        return false;
    if (FAILED(link->SetPath(target.c_str())) || FAILED(link->SetWorkingDirectory(workingFolder.c_str())))
        return false;
    win32::ComPtr<IPersistFile> file;
    return link.As(file, IID_IPersistFile) && SUCCEEDED(file->Save(win32::Widen(linkFile).c_str(), TRUE));
}

bool Win32Shell::Open(const std::string& target)
{
    const auto result =
        reinterpret_cast<INT_PTR>(::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

WindowsVersion Win32Shell::RunningWindows() const
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExA(&info);
#pragma GCC diagnostic pop
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.szCSDVersion};
}

} // namespace corvalis
