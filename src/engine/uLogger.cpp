#include "engine/uLogger.h"

#include <algorithm>

#include "platform/Locale.h"
#include "platform/Processes.h"

namespace corvalis {

void TLogBase::Log(TLogLevel level, const std::u16string& text)
{
    Deliver(level, text, locale_.Now());
}

void TLogBase::Log(TLogLevel level, const std::string& text)
{
    Log(level, locale_.AnsiToWide(text));
}

void TLogBase::LogStrings(TLogLevel level, const std::vector<std::string>& lines)
{
    const DateTime time = locale_.Now();
    for (const std::string& line : lines)
        Deliver(level, locale_.AnsiToWide(line), time);
}

void TLogBase::Deliver(TLogLevel level, const std::u16string& text, DateTime time)
{
    DoLog(level, text, time);
    if (OnLog)
        OnLog(*this, level, text, time);
}

void TLogToList::DoLog(TLogLevel level, const std::u16string& text, DateTime time)
{
    Messages.push_back({time, level, text});
}

std::vector<std::string> TakeCompleteLines(std::string& pending)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t end = pending.find_first_of("\r\n", start);
        if (end == std::string::npos)
            break;
        lines.push_back(pending.substr(start, end - start));
        size_t terminator = 1;
        if (pending[end] == '\r' && end + 1 < pending.size() && pending[end + 1] == '\n')
            terminator = end + 2 < pending.size() && pending[end + 2] == '\r' ? 3 : 2;
        start = end + terminator;
    }
    pending.erase(0, start);
    return lines;
}

namespace {

struct OutputChannel {
    Channel channel;
    TLogLevel level;
    std::string pendingText;
};

// Reads what the pipe holds, as long as it holds something: a tool that writes fast would
// otherwise wait on a full pipe until the next polling cycle.
void DrainChannel(IChildProcess& child, OutputChannel& channel, const ILocale& locale, TLogBase& log)
{
    while (const uint32_t waiting = child.BytesWaiting(channel.channel)) {
        const std::string bytes = child.Read(channel.channel, waiting);
        // A failed read leaves the bytes waiting: the next cycle tries again.
        if (bytes.empty())
            break;
        channel.pendingText += bytes;
        for (const std::string& line : TakeCompleteLines(channel.pendingText))
            log.Log(channel.level, locale.AnsiToWide(locale.OemToAnsi(line)));
    }
}

} // namespace

int32_t RunProcess(IProcesses& processes, const ILocale& locale, TLogBase& log, const std::string& commandLine,
                   const std::string& workingFolder)
{
    StartedProcess started = processes.Start(commandLine, workingFolder);
    if (started.failure == StartFailure::Pipe)
        return -2;
    if (!started.child)
        return -1;
    IChildProcess& child = *started.child;

    OutputChannel output{Channel::Output, llDebug, {}};
    OutputChannel error{Channel::Error, llError, {}};
    while (!child.WaitFor(30)) {
        DrainChannel(child, output, locale, log);
        DrainChannel(child, error, locale, log);
    }
    DrainChannel(child, output, locale, log);
    DrainChannel(child, error, locale, log);

    // The last unterminated pieces go to the log as they are, unconverted.
    if (!output.pendingText.empty())
        log.Log(output.level, output.pendingText);
    if (!error.pendingText.empty())
        log.Log(error.level, error.pendingText);
    return child.ExitCode().value_or(kExitCodeUnknown);
}

} // namespace corvalis
