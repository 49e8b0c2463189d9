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
    case SpecialFolder::LocalAppData: return CSIDL_LOCAL_APPDATA;
    case SpecialFolder::CommonDocuments: return CSIDL_COMMON_DOCUMENTS;
    }
    return CSIDL_PERSONAL;
}

// "DOMAIN\name" of the user a process runs as; empty when it cannot be told.
std::string AccountOf(HANDLE process)
{
    win32::ScopedKernelHandle token;
    if (!::OpenProcessToken(process, TOKEN_QUERY, token.Receive()))
        return {};
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    if (size == 0 || !::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
        return {};
    wchar_t name[256] = {};
    wchar_t domain[256] = {};
    DWORD nameSize = 256;
    DWORD domainSize = 256;
    SID_NAME_USE use;
    if (!::LookupAccountSidW(nullptr, reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, name, &nameSize, domain,
                             &domainSize, &use))
        return {};
    return win32::Narrow(domain) + "\\" + win32::Narrow(name);
}

} // namespace

std::optional<std::string> Win32Shell::FolderPath(SpecialFolder folder) const
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, Csidl(folder), nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::nullopt;
    return win32::Narrow(path);
}

bool Win32Shell::CreateShortcut(const std::string& linkFile, const std::string& target,
                                const std::string& workingFolder)
{
    win32::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.ReceiveVoid())))
        return false;
    if (FAILED(link->SetPath(win32::Widen(target).c_str())) ||
        FAILED(link->SetWorkingDirectory(win32::Widen(workingFolder).c_str())))
        return false;
    win32::ComPtr<IPersistFile> file;
    return link.As(file, IID_IPersistFile) && SUCCEEDED(file->Save(win32::Widen(linkFile).c_str(), TRUE));
}

bool Win32Shell::Open(const std::string& target)
{
    const auto result =
        reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", win32::Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

WindowsVersion Win32Shell::RunningWindows() const
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&info);
#pragma GCC diagnostic pop
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
            win32::Narrow(info.szCSDVersion)};
}

std::string Win32Shell::ProcessAccount() const
{
    return AccountOf(::GetCurrentProcess());
}

std::optional<std::string> Win32Shell::DesktopAccount() const
{
    // A service or a build agent has no shell on its desktop.
    const HWND shell = ::GetShellWindow();
    DWORD processId = 0;
    if (shell == nullptr || ::GetWindowThreadProcessId(shell, &processId) == 0)
        return std::nullopt;
    constexpr DWORD kQueryLimitedInformation = 0x1000; // Vista and later; XP knows only the full right
    win32::ScopedKernelHandle process(::OpenProcess(kQueryLimitedInformation, FALSE, processId));
    if (!process)
        process.Reset(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    const std::string account = process ? AccountOf(process.Get()) : std::string();
    if (account.empty())
        return std::nullopt;
    return account;
}

} // namespace corvalis
