#include "ui/ProgressView.h"

#include <commctrl.h>

#include "ui/Application.h"

namespace corvalis::ui {
namespace {

constexpr COLORREF kErrorColor = RGB(255, 0, 0);
// About 60 batches a second: the window keeps up with the eye, and a line costs the run
// little more than its share of a repaint.
constexpr std::chrono::milliseconds kBatchPeriod(16);

HWND CreateProgressBar(TWindow& page, const TBounds& bounds)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    return page.CreateControl(PROGRESS_CLASSA, "", 0, bounds);
}

// The taskbar button's progress exists from Windows 7 on; before that there is none.
win32::ComPtr<ITaskbarList3> CreateTaskbar()
{
    win32::ComPtr<ITaskbarList3> taskbar;
    if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                  taskbar.ReceiveVoid())) ||
        FAILED(taskbar->HrInit()))
        taskbar.Reset();
    return taskbar;
}

} // namespace

TProgressView::TProgressView(TWindow& page, const ILocale& locale, const TBounds& viewBounds, const TBounds& barBounds,
                             const TBounds& lineBounds)
    : log_(locale), mOutput(std::make_unique<TLogView>(page.Handle(), viewBounds)),
      pbProgress(CreateProgressBar(page, barBounds)),
      lblCompilerProgress(page.CreateControl("STATIC", "", SS_NOPREFIX | SS_EDITCONTROL, lineBounds)),
      taskbar_(CreateTaskbar())
{
}

void TProgressView::LogMessage(TLogLevel level, const std::u16string& text, DateTime time)
{
    TProgressLog::Shown shown = log_.Add(level, text, time);
    if (shown.inView)
        lines_.push_back({shown.text, shown.error});
    latestMessage_ = std::move(shown.text);
    progressLineChanged_ = true;
    FlushWhenDue();
}

void TProgressView::ShowIdesAtWork(std::string text)
{
    idesAtWork_ = std::move(text);
    progressLineChanged_ = true;
    FlushWhenDue();
}

void TProgressView::ShowProgress(int done, int total)
{
    steps_ = Steps{done, total};
    FlushWhenDue();
}

void TProgressView::FlushWhenDue()
{
    if (std::chrono::steady_clock::now() - shown_ >= kBatchPeriod)
        Flush();
}

void TProgressView::Flush()
{
    if (progressLineChanged_) {
        SetControlText(lblCompilerProgress, idesAtWork_.empty() ? latestMessage_ : idesAtWork_);
        progressLineChanged_ = false;
    }
    AppendLines();
    if (steps_) {
        ::SendMessageW(pbProgress, PBM_SETRANGE32, 0, steps_->total);
        ::SendMessageW(pbProgress, PBM_SETPOS, steps_->done, 0);
        if (taskbar_)
            taskbar_->SetProgressValue(::GetAncestor(pbProgress, GA_ROOT), steps_->done, steps_->total);
        steps_.reset();
    }
    Application::ProcessMessages();
    shown_ = std::chrono::steady_clock::now();
}

// Lines of one colour in a row go in as one text: the view counts its edits, not its lines.
void TProgressView::AppendLines()
{
    if (lines_.empty())
        return;
    TLogView::TUpdate update(*mOutput);
    for (size_t first = 0; first < lines_.size();) {
        const bool error = lines_[first].error;
        std::string text = lines_[first].text;
        size_t next = first + 1;
        for (; next < lines_.size() && lines_[next].error == error; ++next)
            text.append("\r\n").append(lines_[next].text);
        mOutput->AppendLogLine(text, 0, error ? std::optional<COLORREF>(kErrorColor) : std::nullopt);
        first = next;
    }
    lines_.clear();
}

} // namespace corvalis::ui
