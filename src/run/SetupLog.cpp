#include "run/SetupLog.h"

#include <cstdio>

#include "ide/Utils.h"
#include "platform/Exceptions.h"
#include "run/ExitCode.h"

namespace corvalis {
namespace {

bool HasFolderFor(IFileSystem& files, const std::string& path)
{
    const std::string folder = ExtractFileDir(path);
    return files.DirectoryExists(folder) || files.ForceDirectories(folder);
}

bool WriteLogFile(IFileSystem& files, const std::string& path, const std::string& content)
{
    return HasFolderFor(files, path) && files.WriteFile(path, content);
}

} // namespace

std::string FormatLogLine(DateTime time, TLogLevel level, const std::string& text, const std::string& timeSeparator)
{
    const DateTimeParts t = DecodeDateTime(time);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d%s%02d%s%02d.%03d", t.year, t.month, t.day, t.hour,
                  timeSeparator.c_str(), t.minute, timeSeparator.c_str(), t.second, t.millisecond);
    const char* name = level < LogLevelNames.size() ? LogLevelNames[level] : LogLevelNames[llUnknown];
    std::string line = "[";
    line.append(stamp).append(", ").append(name).append("]").append(text);
    return line;
}

TProgressLog::Shown TProgressLog::Add(TLogLevel level, const std::u16string& text, DateTime time)
{
    const std::string utf8 = Utf16ToUtf8(text);
    lines_.push_back(FormatLogLine(time, level, utf8, timeSeparator_));
    const bool error = level >= llError;
    hasErrors_ = hasErrors_ || error;
    if (live_) {
        // Each line in the system code page where it can be; Save decides for the whole file.
        const std::string line = lines_.back() + "\r\n";
        live_->Append(locale_.Utf8ToAnsi(line).value_or(line));
    }
    return {utf8, level > llDebug, error};
}

void TProgressLog::WriteThrough(IFileSystem& files, const std::string& path)
{
    live_ = HasFolderFor(files, path) ? files.CreateForAppend(path) : nullptr;
}

std::string TProgressLog::Save(IFileSystem& files, const std::string& folder) const
{
    const std::string path = IncludeTrailingPathDelimiter(folder) + "setup.log";
    SaveAs(files, path);
    return path;
}

void TProgressLog::SaveAs(IFileSystem& files, const std::string& path, bool createFolder) const
{
    const std::string folder = ExtractFileDir(path);
    if (!createFolder && !files.DirectoryExists(folder))
        throw Exception("The folder " + folder + " no longer exists.");
    std::string content;
    for (const std::string& line : lines_)
        content += line + "\r\n";
    // The system code page, which readers of the log have always met; a log holding a
    // character it lacks is UTF-8 with a byte order mark instead, so that no name is lost.
    content = locale_.Utf8ToAnsi(content).value_or("\xEF\xBB\xBF" + content);
    if (!WriteLogFile(files, path, content))
        throw OSError(files.LastError(), locale_);
}

void OpenLogCopy(const Platform& platform, const std::string& path)
{
    if (!path.empty() && !WriteLogFile(platform.files, path, ""))
        throw TRefusal("The log file " + path + " cannot be written: " + LastFileErrorText(platform));
}

} // namespace corvalis
