// The window tests' subject: shows a wizard of test pages, a dialog or the directory frame, as
// its arguments say, and writes what it sees happen to an events file, one line each.
//   uiprobe wizard EVENTS
//   uiprobe frame EVENTS [allowempty] [FOLDER]
//   uiprobe dcc EVENTS DISPLAYNAME   ends with the dialog's modal result as exit code
//   uiprobe noide EVENTS VERSION     likewise
//   uiprobe account EVENTS [OWNER]   the start-up's account check, the desktop's owner faked
//                                    when given; ends with 1 when the user goes on, else 0
#include "platform/win32/WindowsSupport.h"

#include <commctrl.h>

#include "ide/CmdLineUtils.h"
#include "platform/win32/Win32Shell.h"
#include "ui/Application.h"
#include "ui/FrmDirEditBrowse.h"
#include "ui/LogView.h"
#include "ui/Wizard.h"
#include "ui/uAccountWarning.h"
#include "ui/uDCCCompilerWarning.h"
#include "ui/uNoIDEWarning.h"

namespace corvalis::ui {
namespace {

constexpr const char* kCaption = "Corvalis Probe";

// Lines that another process reads while they are written.
class TEventLog {
public:
    explicit TEventLog(const std::string& path)
        : file_(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    void Write(const std::string& event)
    {
        const std::string line = event + "\r\n";
        DWORD written = 0;
        ::WriteFile(file_.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }

private:
    win32::ScopedKernelHandle file_;
};

// A page of the probe wizard that reports its events.
TWizardPage& AddPage(TWizard& wizard, TEventLog& events, const std::string& name, TWizardPageKind kind)
{
    TWizardPage& page = wizard.AddPage(name, kind);
    page.SetTitle(name + " page");
    page.SetSubtitle("The subtitle of the " + name + " page.");
    page.OnEnterPage = [&events, name] { events.Write("enter " + name); };
    page.OnPage = [&events, name] { events.Write("show " + name); };
    return page;
}

HWND CreateCheckBox(TWindow& page, const std::string& caption, const TBounds& bounds)
{
    return page.CreateControl("BUTTON", caption, WS_TABSTOP | BS_AUTOCHECKBOX, bounds);
}

int RunWizard(TEventLog& events)
{
    TForm form(kCaption, 598, 456, "MS Sans Serif", 8);
    TWizard wizard(form);

    TWizardPage& welcome = AddPage(wizard, events, "Welcome", pkWelcome);
    welcome.SetButtonVisible(wbBack, false);
    welcome.CreateControl("STATIC",
                          "It is strongly recommended that you exit all Delphi IDE before running this setup program.",
                          0, {16, 0, 400, 28});

    AddPage(wizard, events, "Skipped", pkInterior).SetEnabled(false);

    TWizardPage& veto = AddPage(wizard, events, "Veto", pkInterior);
    const HWND allowNext = CreateCheckBox(veto, "Allow Next", {20, 20, 200, 20});
    veto.OnNextButtonClick = [&events, allowNext](bool& stop) {
        stop = ::SendMessageA(allowNext, BM_GETCHECK, 0, 0) != BST_CHECKED;
        events.Write(stop ? "next Veto stopped" : "next Veto allowed");
    };

    TWizardPage& controls = AddPage(wizard, events, "Controls", pkInterior);
    TFrameDirEditBrowse destination(controls.Handle(), {20, 10, 400, 50});
    destination.SetCaption("Destination Folder");
    destination.SetBrowseButton("Browse...", 62, 25);

    TWizardPage& buttons = AddPage(wizard, events, "Buttons", pkInterior);
    buttons.SetButtonEnabled(wbNext, false);
    const HWND enableNext = CreateCheckBox(buttons, "Enable Next", {20, 20, 200, 20});
    const HWND takePart = CreateCheckBox(buttons, "Optional takes part", {20, 50, 200, 20});
    const HWND leave = buttons.CreateControl("BUTTON", "Leave this page", WS_TABSTOP, {20, 80, 120, 25});

    TWizardPage& optional = AddPage(wizard, events, "Optional", pkInterior);
    optional.SetEnabled(false);
    buttons.OnCommand(enableNext, BN_CLICKED, [&buttons, enableNext] {
        buttons.SetButtonEnabled(wbNext, ::SendMessageA(enableNext, BM_GETCHECK, 0, 0) == BST_CHECKED);
    });
    buttons.OnCommand(takePart, BN_CLICKED, [&optional, takePart] {
        optional.SetEnabled(::SendMessageA(takePart, BM_GETCHECK, 0, 0) == BST_CHECKED);
    });
    buttons.OnCommand(leave, BN_CLICKED, [&buttons] { buttons.SetEnabled(false); });

    TWizardPage& progress = AddPage(wizard, events, "Progress", pkInterior);
    progress.SetButtonVisible(wbBack, false);
    progress.SetButtonEnabled(wbNext, false);
    progress.SetButtonEnabled(wbBack, false);
    progress.CreateControl("STATIC", "Installation progress:", 0, {11, 8, 200, 14});
    TLogView log(progress.Handle(), {11, 26, 575, 271});
    bool runDone = false;
    progress.OnPage = [&] {
        events.Write("show Progress");
        if (runDone)
            return;
        for (const auto& [text, color] : {std::pair<const char*, std::optional<COLORREF>>{"Installing", std::nullopt},
                                          {"Error: a red line", RGB(255, 0, 0)},
                                          {"Installation completed", std::nullopt}}) {
            TLogView::TUpdate update(log);
            log.AppendLogLine(text, 0, color);
            Application::ProcessMessages();
        }
        progress.SetButtonEnabled(wbCancel, false);
        progress.SetButtonEnabled(wbNext, true);
        runDone = true;
        events.Write("run done");
    };

    TWizardPage& finish = AddPage(wizard, events, "Finish", pkInterior);
    finish.SetButtonVisible(wbNext, false);
    finish.SetButtonVisible(wbCancel, false);
    finish.SetButtonVisible(wbFinish, true);
    finish.OnFinishButtonClick = [&] {
        events.Write("finish Finish");
        form.Close();
    };

    wizard.OnCancelButtonClick = [&] {
        events.Write("cancel");
        form.Close();
    };
    form.Show();
    wizard.Start();
    Application::Run();
    events.Write("end");
    return 0;
}

int RunFrame(TEventLog& events, bool allowEmpty, const std::string& initialFolder)
{
    TForm form(kCaption, 340, 70, "MS Sans Serif", 8);
    TFrameDirEditBrowse frame(form.Handle(), {10, 10, 319, 45});
    frame.SetCaption("&Folder");
    frame.AllowEmpty = allowEmpty;
    frame.SetDirectory(initialFolder);
    frame.OnChange = [&events](TFrameDirEditBrowse&, void*, std::string& dir) { events.Write("change " + dir); };
    form.Show();
    Application::Run();
    events.Write("end");
    return 0;
}

// The real shell but for the owner of the desktop: what an installer elevated with another
// account's credentials sees.
class TFakedDesktopShell : public Win32Shell {
public:
    explicit TFakedDesktopShell(std::string owner) : owner_(std::move(owner)) {}
    std::optional<std::string> DesktopAccount() const override { return owner_; }

private:
    std::string owner_;
};

int Main(const std::vector<std::string>& arguments)
{
    const std::string mode = arguments.empty() ? "" : arguments[0];
    const auto argument = [&](size_t index) { return index < arguments.size() ? arguments[index] : std::string(); };
    TEventLog events(argument(1));
    if (mode == "wizard")
        return RunWizard(events);
    if (mode == "frame") {
        const bool allowEmpty = argument(2) == "allowempty";
        return RunFrame(events, allowEmpty, argument(allowEmpty ? 3 : 2));
    }
    if (mode == "dcc") {
        // Owned by the main window, as in the installer; this one stays hidden.
        TForm owner(kCaption, 200, 100, "MS Sans Serif", 8);
        Win32Shell shell;
        TfDCCCompilerWarning warning(owner.Handle(), shell);
        warning.FormatWarning(argument(2));
        return warning.ShowModal();
    }
    if (mode == "noide")
        return TfNoIDEWarning(argument(2)).ShowModal(); // before any other window, as start-up shows it
    if (mode == "account") {
        const Win32Shell real;
        const TFakedDesktopShell faked(argument(2));
        return ConfirmAccount(argument(2).empty() ? static_cast<const IShell&>(real) : faked) ? 1 : 0;
    }
    return -1;
}

} // namespace
} // namespace corvalis::ui

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);
    corvalis::win32::ComApartment com;
    try {
        return corvalis::ui::Main(corvalis::ParseCommandLine(::GetCommandLineA()));
    } catch (...) {
        corvalis::ui::Application::ReportCurrentException(nullptr);
        return -2;
    }
}
