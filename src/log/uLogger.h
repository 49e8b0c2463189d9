#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/DateTime.h"

namespace corvalis {

class ILocale;
class IProcesses;

enum TLogLevel : uint8_t { llDebug, llInfo, llWarning, llError, llFatal, llUnknown };

struct TLogMessage {
    DateTime Time;
    TLogLevel Level;
    std::u16string Text;
};

// The engine's log. Every message is recorded by DoLog, then handed to OnLog with the same
// level, text and time.
class TLogBase {
public:
    using TLogEvent = std::function<void(TLogBase& sender, TLogLevel level, const std::u16string& text, DateTime time)>;

    explicit TLogBase(const ILocale& locale) : locale_(locale) {}
    virtual ~TLogBase() = default;
    TLogBase(const TLogBase&) = delete;
    TLogBase& operator=(const TLogBase&) = delete;

    void Log(TLogLevel level, const std::u16string& text);
    // The engine builds its texts in UTF-8; they reach the log as UTF-16.
    void Log(TLogLevel level, const std::string& text);
    void LogDebug(const std::string& text) { Log(llDebug, text); }
    void LogInfo(const std::string& text) { Log(llInfo, text); }
    void LogError(const std::string& text) { Log(llError, text); }
    // All lines with one time stamp.
    void LogStrings(TLogLevel level, const std::vector<std::string>& lines);
    void LogStrings(TLogLevel level, const std::vector<std::u16string>& lines);
    // A message another log took first, with its own time.
    void Relay(const TLogMessage& message) { Deliver(message.Level, message.Text, message.Time); }

    TLogEvent OnLog;

    // The writer waits for more (a tool that runs): a sink that holds lines back shows them
    // now, and a window gets its turn.
    void Idle()
    {
        if (OnIdle)
            OnIdle();
    }
    std::function<void()> OnIdle;

protected:
    virtual void DoLog(TLogLevel level, const std::u16string& text, DateTime time) = 0;

private:
    void Deliver(TLogLevel level, const std::u16string& text, DateTime time);

    const ILocale& locale_;
};

class TLogToList : public TLogBase {
public:
    using TLogBase::TLogBase;
    std::vector<TLogMessage> Messages;

protected:
    void DoLog(TLogLevel level, const std::u16string& text, DateTime time) override;
};

// Takes every complete line from the front of pending: a line ends at a line feed or a
// carriage return; CR LF and CR LF CR count as one terminator.
template <typename Text> std::vector<Text> TakeCompleteLines(Text& pending)
{
    using Char = typename Text::value_type;
    constexpr Char kTerminators[] = {'\r', '\n'};
    std::vector<Text> lines;
    size_t start = 0;
    while (true) {
        const size_t end = pending.find_first_of(kTerminators, start, 2);
        if (end == Text::npos)
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

// RunProcess's result for a tool whose exit code the system cannot tell: a failure.
inline constexpr int32_t kExitCodeUnknown = -3;

// Runs a tool and logs its output as it arrives: standard output at llDebug, standard
// error at llError, complete lines converted from the OEM code page (a last unterminated
// piece from the system code page); the log is idle once a polling cycle. Returns the
// tool's exit code, -1 when it cannot be started, -2 when a pipe cannot be created,
// kExitCodeUnknown when the system cannot tell the exit code.
int32_t RunProcess(IProcesses& processes, const ILocale& locale, TLogBase& log, const std::string& commandLine,
                   const std::string& workingFolder);

} // namespace corvalis
