#include "ui/uMain.h"

#include "core/InstallData.h"
#include "ide/CmdLineUtils.h"
#include "ui/Application.h"
#include "ui/ProgressView.h"

// The compile page: the installation run and its progress view.

namespace corvalis::ui {

void TfMain::CreateCompilePage()
{
    TWizardPage& page = wizard_.AddPage("wCompile", pkInterior);
    page.SetTitle("Compiling and Installing Packages");
    page.SetSubtitle(
        "Corvalis packages will be compiled and installed now for selected Delphi and C++Builder versions.");
    page.SetButtonVisible(wbBack, false);
    page.SetButtonEnabled(wbNext, false);
    page.CreateControl("STATIC", "Installation progress:", SS_NOPREFIX, {11, 4, 300, 16});
    // The log view gives up the height of the step bar.
    progress_ = std::make_unique<TProgressView>(page, platform_.locale, TBounds{11, 22, 575, 251},
                                                TBounds{11, 278, 575, 16}, TBounds{11, 298, 575, 33});
    page.OnPage = [this] { wCompilePage(); };
}

void TfMain::wCompilePage()
{
    if (RunDone)
        return;
    try {
        RunInstallation(installData_, platform_, progress_->Log(), *this);
        RunDone = true;
        runFailed_ = false;
    } catch (const std::exception& error) {
        runFailed_ = true;
        progress_->Flush();
        Application::ShowErrorBox(Handle(), error.what());
    }
    // An automatic update asks nothing: the window goes once the run is over.
    if (installData_.Options.AutoUpdate)
        Close();
}

void TfMain::LogMessage(TLogBase&, TLogLevel level, const std::u16string& text, DateTime time)
{
    progress_->LogMessage(level, text, time);
}

void TfMain::ShowProgress(int done, int total)
{
    progress_->ShowProgress(done, total);
}

void TfMain::ShowIdesAtWork(const std::vector<TIdeAtWork>& ides)
{
    progress_->ShowIdesAtWork(FormatIdesAtWork(ides));
}

void TfMain::Idle()
{
    progress_->Flush();
}

void TfMain::ShowSetupLog(const std::optional<std::string>& path)
{
    if (!path) {
        ::ShowWindow(Label17, SW_HIDE);
        ::ShowWindow(lSetupLogPath, SW_HIDE);
        return;
    }
    SetControlText(lSetupLogPath, *path);
}

void TfMain::RunSucceeded()
{
    // The last lines are on the page before Next lets the user go on.
    progress_->Flush();
    Page(wCompile).SetButtonEnabled(wbCancel, false);
    Page(wCompile).SetButtonEnabled(wbNext, true);
}

} // namespace corvalis::ui
