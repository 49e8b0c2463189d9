// Lines per second through RunProcess, next to the same tool writing to NUL.
// Run with scripts/bench; the figures go to docs/performance.md.
#include "platform/win32/WindowsSupport.h"

#include <cstdio>
#include <string>

#include "Stopwatch.h"
#include "engine/uLogger.h"
#include "ide/Utils.h"
#include "platform/win32/Win32Platform.h"

namespace {

using corvalis::bench::TCountingLog;
using corvalis::bench::TStopwatch;

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
    const TStopwatch watch;
    if (!::CreateProcessA(nullptr, mutableCommandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &info))
        return 0;
    const corvalis::win32::ScopedKernelHandle thread(info.hThread);
    const corvalis::win32::ScopedKernelHandle process(info.hProcess);
    ::WaitForSingleObject(process.Get(), INFINITE);
    return watch.Seconds();
}

} // namespace

int main()
{
    corvalis::Win32Platform machine;
    const std::string tool =
        "\"" + corvalis::PathJoin(corvalis::ExtractFileDir(machine.processes.ExecutablePath()), "tproc.exe") + "\"";
    std::printf("| lines | through RunProcess | to NUL |\n| ---: | ---: | ---: |\n");
    for (int lines : {10000, 100000}) {
        const std::string commandLine = tool + " lines:" + std::to_string(lines) + ":58";
        TCountingLog log(machine.locale);
        const TStopwatch watch;
        corvalis::RunProcess(machine.processes, machine.locale, log, commandLine, "");
        const double logged = watch.Seconds();
        const double nul = ToNul(commandLine);
        std::printf("| %d | %.0f lines/s (%.2f s, %ld logged) | %.0f lines/s (%.2f s) |\n", lines, lines / logged,
                    logged, log.lines, lines / nul, nul);
    }
    return 0;
}
