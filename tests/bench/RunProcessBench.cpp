// Lines per second through RunProcess, next to the same tool writing to NUL.
// Run with scripts/bench; the figures go to docs/performance.md.
#include "platform/win32/WindowsSupport.h"

#include <cstdio>
#include <string>

#include "engine/uLogger.h"
#include "ide/Utils.h"
#include "platform/win32/Win32Platform.h"

namespace {

using corvalis::DateTime;
using corvalis::TLogLevel;

class CountingLog : public corvalis::TLogBase {
public:
    using TLogBase::TLogBase;
    long lines = 0;

protected:
    void DoLog(TLogLevel, const std::u16string&, DateTime) override { ++lines; }
};

double Seconds(LARGE_INTEGER start)
{
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ToNul(const std::string& commandLine)
{
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    corvalis::win32::ScopedKernelHandle nul(
        ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &attributes, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nul.Get();
    startup.hStdError = nul.Get();
    std::string mutableCommandLine = commandLine;
    PROCESS_INFORMATION info{};
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessA(nullptr, mutableCommandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &info))
        return 0;
    ::WaitForSingleObject(info.hProcess, INFINITE);
    const double seconds = Seconds(start);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return seconds;
}

}  // namespace

int main()
{
    corvalis::Win32Platform machine;
    const std::string tool =
        "\"" + corvalis::PathJoin(corvalis::ExtractFileDir(machine.processes.ExecutablePath()), "tproc.exe") + "\"";
    std::printf("| lines | through RunProcess | to NUL |\n| ---: | ---: | ---: |\n");
    for (int lines : {10000, 100000}) {
        const std::string commandLine = tool + " lines:" + std::to_string(lines) + ":58";
        CountingLog log(machine.locale);
        LARGE_INTEGER start;
        ::QueryPerformanceCounter(&start);
        corvalis::RunProcess(machine.processes, machine.locale, log, commandLine, "");
        const double logged = Seconds(start);
        const double nul = ToNul(commandLine);
        std::printf("| %d | %.0f lines/s (%.2f s, %ld logged) | %.0f lines/s (%.2f s) |\n", lines, lines / logged,
                    logged, log.lines, lines / nul, nul);
    }
    return 0;
}
