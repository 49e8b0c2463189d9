// Lines per second through RunProcess, beside the same tool writing to NUL and into a pipe
// that a reader only empties: the pipes' own pace, without the runner's polling and line
// handling. All three in one run, side by side.
// Run with scripts/bench; the figures go to docs/performance.md.
#include "platform/win32/WindowsSupport.h"

#include <cstdio>
#include <string>

#include "Stopwatch.h"
#include "ide/Utils.h"
#include "log/uLogger.h"
#include "platform/win32/Win32Platform.h"

namespace {

using corvalis::bench::TCountingLog;
using corvalis::bench::TStopwatch;

using corvalis::win32::ScopedKernelHandle;

// Starts the tool with its standard output and error going to the handle; the process
// handle, empty when the tool cannot be started.
ScopedKernelHandle StartWithOutputTo(const std::string& commandLine, HANDLE output)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::string mutableCommandLine = commandLine;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, mutableCommandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &info))
        return {};
    ::CloseHandle(info.hThread);
    return ScopedKernelHandle(info.hProcess);
}

double ToNul(const std::string& commandLine)
{
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    ScopedKernelHandle nul(
        ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &attributes, OPEN_EXISTING, 0, nullptr));
    const TStopwatch watch;
    const ScopedKernelHandle process = StartWithOutputTo(commandLine, nul.Get());
    if (!process)
        return 0;
    ::WaitForSingleObject(process.Get(), INFINITE);
    return watch.Seconds();
}

// The tool writing into a pipe as large as the runner's, which a reader empties as fast as
// it can: the pace of the pipes themselves.
double ThroughAPipe(const std::string& commandLine)
{
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    ScopedKernelHandle read, write;
    if (!::CreatePipe(read.Receive(), write.Receive(), &attributes, corvalis::Win32Processes::kPipeBufferSize))
        return 0;
    ::SetHandleInformation(read.Get(), HANDLE_FLAG_INHERIT, 0);
    const TStopwatch watch;
    const ScopedKernelHandle process = StartWithOutputTo(commandLine, write.Get());
    if (!process)
        return 0;
    // Without the child's end here, the read that finds the pipe closed ends the loop.
    write.Reset();
    std::string buffer(corvalis::Win32Processes::kPipeBufferSize, '\0');
    DWORD count = 0;
    while (::ReadFile(read.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &count, nullptr) && count > 0) {
    }
    ::WaitForSingleObject(process.Get(), INFINITE);
    return watch.Seconds();
}

} // namespace

int main()
{
    corvalis::Win32Platform machine;
    const std::string tool =
        "\"" + corvalis::PathJoin(corvalis::ExtractFileDir(machine.processes.ExecutablePath()), "tproc.exe") + "\"";
    std::printf("| lines | to NUL | through a pipe, read | through RunProcess | RunProcess / NUL | RunProcess / pipe "
                "|\n| ---: | ---: | ---: | ---: | ---: | ---: |\n");
    for (int lines : {10000, 100000}) {
        const std::string commandLine = tool + " lines:" + std::to_string(lines) + ":58";
        const double nul = ToNul(commandLine);
        const double pipes = ThroughAPipe(commandLine);
        TCountingLog log(machine.locale);
        const TStopwatch watch;
        corvalis::RunProcess(machine.processes, machine.locale, log, commandLine, "");
        const double logged = watch.Seconds();
        std::printf("| %d | %.0f lines/s (%.2f s) | %.0f lines/s (%.2f s) | %.0f lines/s (%.2f s, %ld logged) | %.2f | "
                    "%.2f |\n",
                    lines, lines / nul, nul, lines / pipes, pipes, lines / logged, logged, log.lines, nul / logged,
                    pipes / logged);
    }
    return 0;
}
