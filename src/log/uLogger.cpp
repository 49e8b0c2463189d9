#include "log/uLogger.h"

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
    Log(level, Utf8ToUtf16(text));
}

void TLogBase::LogStrings(TLogLevel level, const std::vector<std::string>& lines)
{
    std::vector<std::u16string> wide;
    wide.reserve(lines.size());
    for (const std::string& line : lines)
        wide.push_back(Utf8ToUtf16(line));
    LogStrings(level, wide);
}

void TLogBase::LogStrings(TLogLevel level, const std::vector<std::u16string>& lines)
{
    const DateTime time = locale_.Now();
    for (const std::u16string& line : lines)
        Deliver(level, line, time);
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

namespace {

struct OutputChannel {
    Channel channel;
    TLogLevel level;
    std::string pendingText;
};

// The complete lines that one read brought are converted in one go and logged with one
// time stamp: a fast tool sends thousands of lines a cycle, and the cost per line sets the
// pace. Every terminator character ends a complete line, so they run to the last one.
void LogCompleteLines(OutputChannel& channel, const ILocale& locale, TLogBase& log)
{
    const size_t end = channel.pendingText.find_last_of("\r\n");
    if (end == std::string::npos)
        return;
    std::u16string complete = locale.OemToWide(channel.pendingText.substr(0, end + 1));
    channel.pendingText.erase(0, end + 1);
    log.LogStrings(channel.level, TakeCompleteLines(complete));
}

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
        LogCompleteLines(channel, locale, log);
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
        log.Idle();
    }
    DrainChannel(child, output, locale, log);
    DrainChannel(child, error, locale, log);

    // The last unterminated pieces go to the log as they are, without the OEM conversion.
    for (const OutputChannel* channel : {&output, &error})
        if (!channel->pendingText.empty())
            log.Log(channel->level, locale.AnsiToWide(channel->pendingText));
    return child.ExitCode().value_or(kExitCodeUnknown);
}

} // namespace corvalis
