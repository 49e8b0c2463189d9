#pragma once

#include "platform/win32/WindowsSupport.h"

#include <shobjidl.h>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "run/SetupLog.h"
#include "ui/LogView.h"
#include "ui/Window.h"

namespace corvalis::ui {

// The compile page's view of the installation run: the log view with a line per message
// (errors red, detail lines left out), the bar of the run's steps, which the taskbar button
// shows too, and the progress line, which shows the latest message whatever its level; the
// lines for setup.log are collected on the way. While IDEs are worked on side by side, the
// progress line shows which are at which step instead.
//
// A tool can log thousands of lines a second, far more than the window can draw: the view
// takes them at once but shows them in batches, at most about 60 times a second, and a
// batch lets the window repaint and respond.
class TProgressView {
public:
    TProgressView(TWindow& page, const ILocale& locale, const TBounds& viewBounds, const TBounds& barBounds,
                  const TBounds& lineBounds);

    // One message of the run; setup.log's lines have it at once, the window with its batch.
    void LogMessage(TLogLevel level, const std::u16string& text, DateTime time);
    void ShowProgress(int done, int total);
    // Empty once no IDEs are at work side by side: the progress line shows the latest message again.
    void ShowIdesAtWork(std::string text);
    // Shows what is held back and lets the window process its messages: while the run waits,
    // and when it ends.
    void Flush();

    TProgressLog& Log() { return log_; }
    const TProgressLog& Log() const { return log_; }

private:
    struct Line {
        std::string text;
        bool error;
    };
    struct Steps {
        int done;
        int total;
    };

    void FlushWhenDue();
    void AppendLines();

    TProgressLog log_;
    std::unique_ptr<TLogView> mOutput;
    HWND pbProgress;
    HWND lblCompilerProgress;
    win32::ComPtr<ITaskbarList3> taskbar_;

    std::vector<Line> lines_;
    std::string latestMessage_;
    std::string idesAtWork_;
    bool progressLineChanged_ = false;
    std::optional<Steps> steps_;
    std::chrono::steady_clock::time_point shown_;
};

} // namespace corvalis::ui
