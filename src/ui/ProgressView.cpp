#include "ui/ProgressView.h"

#include "ui/Application.h"

namespace corvalis::ui {
namespace {

constexpr COLORREF kErrorColor = RGB(255, 0, 0);

} // namespace

TProgressView::TProgressView(TWindow& page, const ILocale& locale, const TBounds& viewBounds, const TBounds& lineBounds)
    : log_(locale), mOutput(std::make_unique<TLogView>(page.Handle(), viewBounds)),
      lblCompilerProgress(page.CreateControl("STATIC", "", SS_NOPREFIX | SS_EDITCONTROL, lineBounds))
{
}

void TProgressView::LogMessage(TLogLevel level, const std::u16string& text, DateTime time)
{
    const TProgressLog::Shown shown = log_.Add(level, text, time);
    ::SetWindowTextA(lblCompilerProgress, shown.text.c_str());
    if (shown.inView) {
        TLogView::TUpdate update(*mOutput);
        mOutput->AppendLogLine(shown.text, 0, shown.error ? std::optional<COLORREF>(kErrorColor) : std::nullopt);
    }
    Application::ProcessMessages();
}

} // namespace corvalis::ui
