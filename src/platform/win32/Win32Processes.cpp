#include "platform/win32/Win32Processes.h"

#include "platform/win32/WindowsSupport.h"

#include <tlhelp32.h>

#include <vector>

namespace corvalis {
namespace {

using win32::Narrow;
using win32::ScopedKernelHandle;
using win32::Widen;

struct Pipe {
    ScopedKernelHandle read;
    ScopedKernelHandle write;
};

class Win32Child : public IChildProcess {
public:
    Win32Child(Pipe output, Pipe error, ScopedKernelHandle process)
        : output_(std::move(output)), error_(std::move(error)), process_(std::move(process))
    {
    }

    bool WaitFor(uint32_t milliseconds) override
    {
        return ::WaitForSingleObject(process_.Get(), milliseconds) != WAIT_TIMEOUT;
    }

    uint32_t BytesWaiting(Channel channel) override
    {
        DWORD available = 0;
        if (!::PeekNamedPipe(ReadEnd(channel), nullptr, 0, nullptr, &available, nullptr))
            return 0;
        return available;
    }

    std::string Read(Channel channel, uint32_t count) override
    {
        std::string bytes(count, '\0');
        DWORD read = 0;
        if (count == 0 || !::ReadFile(ReadEnd(channel), bytes.data(), count, &read, nullptr))
            read = 0;
        bytes.resize(read);
        return bytes;
    }

    std::optional<int32_t> ExitCode() override
    {
        DWORD code = 0;
        if (!::GetExitCodeProcess(process_.Get(), &code))
            return std::nullopt;
        return static_cast<int32_t>(code);
    }

private:
    HANDLE ReadEnd(Channel channel) const
    {
        return channel == Channel::Output ? output_.read.Get() : error_.read.Get();
    }

    // Released in reverse order: the process, then the error pipe, then the output pipe.
    // The write ends stay open until then, so the end of the output is known from the end of
    // the child, not from the pipes closing.
    Pipe output_;
    Pipe error_;
    ScopedKernelHandle process_;
};

bool CreateInheritablePipe(Pipe& pipe, SECURITY_ATTRIBUTES& attributes)
{
    return ::CreatePipe(pipe.read.Receive(), pipe.write.Receive(), &attributes, Win32Processes::kPipeBufferSize) !=
           FALSE;
}

} // namespace

StartedProcess Win32Processes::Start(const std::string& commandLine, const std::string& workingFolder)
{
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    Pipe output;
    Pipe error;
    if (!CreateInheritablePipe(output, attributes) || !CreateInheritablePipe(error, attributes))
        return {nullptr, StartFailure::Pipe};

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output.write.Get();
    startup.hStdError = error.write.Get();

    std::wstring mutableCommandLine = Widen(commandLine);
    const std::wstring folder = Widen(workingFolder);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, mutableCommandLine.data(), &attributes, nullptr, TRUE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return {nullptr, StartFailure::Launch};
    ::CloseHandle(info.hThread);
    return {std::make_unique<Win32Child>(std::move(output), std::move(error), ScopedKernelHandle(info.hProcess)),
            StartFailure::None};
}

std::optional<std::vector<ProcessEntry>> Win32Processes::ProcessSnapshot()
{
    ScopedKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return std::nullopt;
    std::vector<ProcessEntry> processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        const std::string exeFile = Narrow(entry.szExeFile);
        const size_t slash = exeFile.find_last_of('\\');
        processes.push_back({entry.th32ProcessID, slash == std::string::npos ? exeFile : exeFile.substr(slash + 1)});
    }
    return processes;
}

std::optional<std::vector<std::string>> Win32Processes::ModuleSnapshot(uint32_t processId)
{
    ScopedKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot) {
        // A 32-bit program cannot list a 64-bit one's modules (a 64-bit IDE), but it can
        // read the file the process runs.
        ScopedKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        wchar_t path[MAX_PATH * 4];
        DWORD size = std::size(path);
        if (!process || !::QueryFullProcessImageNameW(process.Get(), 0, path, &size))
            return std::nullopt;
        return std::vector<std::string>{Narrow(std::wstring(path, size))};
    }
    std::vector<std::string> modules;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Module32FirstW(snapshot.Get(), &entry); more; more = ::Module32NextW(snapshot.Get(), &entry))
        modules.push_back(Narrow(entry.szExePath));
    return modules;
}

std::optional<std::string> Win32Processes::GetEnv(const std::string& name) const
{
    const std::wstring wideName = Widen(name);
    ::SetLastError(ERROR_SUCCESS);
    DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (length == 0)
        return ::GetLastError() == ERROR_ENVVAR_NOT_FOUND ? std::nullopt : std::optional<std::string>("");
    std::wstring value(length, L'\0');
    length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), length);
    value.resize(length);
    return Narrow(value);
}

std::string Win32Processes::ExecutablePath() const
{
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return Narrow(path);
}

} // namespace corvalis
