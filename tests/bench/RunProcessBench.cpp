// Lines per second through RunProcess, beside the same tool writing to NUL and to the
// runner's pipes polled as the runner polls but with its output thrown away: the pipes'
// own pace, without the runner's line handling. All three in one run, side by side.
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

double ThroughPipes(corvalis::IProcesses& processes, const std::string& commandLine)
{
    const TStopwatch watch;
    corvalis::StartedProcess started = processes.Start(commandLine, "");
    if (!started.child)
        return 0;
    corvalis::IChildProcess& child = *started.child;
    const auto drain = [&child] {
        for (const corvalis::Channel channel : {corvalis::Channel::Output, corvalis::Channel::Error})
            while (const uint32_t waiting = child.BytesWaiting(channel))
                child.Read(channel, waiting);
    };
    while (!child.WaitFor(30))
        drain();
    drain();
    return watch.Seconds();
}

} // namespace

int main()
{
    corvalis::Win32Platform machine;
    const std::string tool =
        "\"" + corvalis::PathJoin(corvalis::ExtractFileDir(machine.processes.ExecutablePath()), "tproc.exe") + "\"";
    std::printf("| lines | to NUL | through the pipes, thrown away | through RunProcess | RunProcess / NUL | "
                "pipes / NUL |\n| ---: | ---: | ---: | ---: | ---: | ---: |\n");
    for (int lines : {10000, 100000}) {
        const std::string commandLine = tool + " lines:" + std::to_string(lines) + ":58";
        const double nul = ToNul(commandLine);
        const double pipes = ThroughPipes(machine.processes, commandLine);
        TCountingLog log(machine.locale);
        const TStopwatch watch;
        corvalis::RunProcess(machine.processes, machine.locale, log, commandLine, "");
        const double logged = watch.Seconds();
        std::printf("| %d | %.0f lines/s (%.2f s) | %.0f lines/s (%.2f s) | %.0f lines/s (%.2f s, %ld logged) | %.2f | "
                    "%.2f |\n",
                    lines, lines / nul, nul, lines / pipes, pipes, lines / logged, logged, log.lines, nul / logged,
                    nul / pipes);
    }
    return 0;
}
