#pragma once

#include <memory>

#include "ui/LogView.h"
#include "core/SetupLog.h"
#include "ui/Window.h"

namespace corvalis::ui {

// The compile page's view of the installation run: the log view with a line per message
// (errors red, detail lines left out) above the progress line, which shows the latest
// message whatever its level; the lines for setup.log are collected on the way.
class TProgressView {
public:
    TProgressView(TWindow& page, const ILocale& locale, const TBounds& viewBounds, const TBounds& lineBounds);

    // One message of the run. The run goes on in the window's thread: here the window
    // repaints and its buttons respond.
    void LogMessage(TLogLevel level, const std::u16string& text, DateTime time);

    TProgressLog& Log() { return log_; }
    const TProgressLog& Log() const { return log_; }

private:
    TProgressLog log_;
    std::unique_ptr<TLogView> mOutput;
    HWND lblCompilerProgress;
};

} // namespace corvalis::ui
