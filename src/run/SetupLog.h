#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "log/uLogger.h"
#include "platform/Platform.h"

namespace corvalis {

// The names the log lines give the levels.
inline constexpr std::array<const char*, 6> LogLevelNames = {"Debug", "Info", "Warning", "Error", "Fatal", "Unknown"};

// "[yyyy-mm-dd hh:nn:ss.zzz, Level]text", the colons being the locale's time separator.
std::string FormatLogLine(DateTime time, TLogLevel level, const std::string& text, const std::string& timeSeparator);

// The lines of the installation run as the progress page shows them and setup.log keeps
// them: every message makes a line; all but detail lines reach the view, errors in red.
class TProgressLog {
public:
    struct Shown {
        std::string text; // for the progress line and the view
        bool inView;      // detail lines only reach setup.log and the progress line
        bool error;       // shown in red
    };

    explicit TProgressLog(const ILocale& locale) : locale_(locale), timeSeparator_(locale.TimeSeparator()) {}

    Shown Add(TLogLevel level, const std::u16string& text, DateTime time);
    // From now on each line also reaches the file as it is added, the file starting empty, so
    // that a run that stops leaves a log that ends where it stopped. A line the file cannot
    // take is not lost: Save writes them all.
    void WriteThrough(IFileSystem& files, const std::string& path);
    // Closes the file, which stays open while the lines reach it.
    void EndWriteThrough() { live_.reset(); }
    void Clear() { lines_.clear(); }
    const std::vector<std::string>& LogLines() const { return lines_; }
    // A message of level Error or above was logged; never cleared.
    bool HasErrors() const { return hasErrors_; }

    // Writes the lines to setup.log in the folder, creating it; returns the file's path. The
    // file is in the system code page, or UTF-8 when that lacks a character of the lines.
    std::string Save(IFileSystem& files, const std::string& folder) const;
    // Writes the lines to the file, creating its folder unless told not to.
    void SaveAs(IFileSystem& files, const std::string& path, bool createFolder = true) const;

private:
    const ILocale& locale_;
    // Asked once: the system looks it up in the user's settings each time.
    std::string timeSeparator_;
    std::vector<std::string> lines_;
    bool hasErrors_ = false;
    std::unique_ptr<IAppendFile> live_;
};

// The --log= file, opened for writing (created empty, with its folder) before the run, so
// that a file the run could not write is refused before anything changes.
void OpenLogCopy(const Platform& platform, const std::string& path);

} // namespace corvalis
