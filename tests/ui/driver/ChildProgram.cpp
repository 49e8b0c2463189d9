#include "driver/ChildProgram.h"

namespace corvalis::uidriver {

TChildProgram::TChildProgram(const std::string& commandLine)
{
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION started = {};
    std::string line = commandLine;
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        throw DriverError("cannot start " + commandLine + ": error " + std::to_string(::GetLastError()));
    ::CloseHandle(started.hThread);
    process_.Reset(started.hProcess);
    processId_ = started.dwProcessId;
}

TChildProgram::~TChildProgram()
{
    if (Running()) {
        ::TerminateProcess(process_.Get(), 1);
        ::WaitForSingleObject(process_.Get(), static_cast<DWORD>(kDefaultTimeout.count()));
    }
}

bool TChildProgram::Running() const
{
    return ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

DWORD TChildProgram::WaitForExit(Timeout timeout)
{
    WaitUntil([this] { return !Running(); }, "the program to end", timeout);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process_.Get(), &exitCode);
    return exitCode;
}

std::string ProgramBesideThisOne(const std::string& fileName)
{
    char path[MAX_PATH] = {};
    std::string self(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
    return self.substr(0, self.find_last_of('\\') + 1) + fileName;
}

} // namespace corvalis::uidriver
