#pragma once

#include <string>
#include <vector>

#include "driver/ChildProgram.h"
#include "driver/UiDriver.h"

namespace corvalis::e2e {

using uidriver::Timeout;

// How long an installation run into a few IDEs may take under Wine.
constexpr Timeout kRunTimeout{300000};

// The installer running from a package folder, driven page by page as a user would.
class TWizardSession {
public:
    explicit TWizardSession(const std::string& installer, const std::string& arguments = {});
    // Closes the windows the installer's shell integration opened.
    ~TWizardSession();

    DWORD ProcessId() const { return program_.ProcessId(); }
    // The main window, once it shows.
    HWND Window();

    // The page shown: its name, its header.
    std::string ActivePage();
    std::string Title();
    std::string Subtitle();
    HWND Page(const std::string& name);
    void WaitForPage(const std::string& name, Timeout timeout = uidriver::kDefaultTimeout);

    // A wizard button: "< &Back", "&Next >", "&Finish" or "Cancel".
    HWND Button(const char* caption);
    // Presses Next, and waits for the page it leads to.
    void Next(const std::string& expectedPage);
    // Presses Next where it opens a window or starts the run: returns at once.
    void NextAsync();
    void Back(const std::string& expectedPage);

    // A control on the named page.
    HWND Control(const std::string& page, const char* className, const char* caption);
    std::vector<HWND> Controls(const std::string& page, const char* className);

    // The pages up to the IDE page of a first installation or an update: licence accepted,
    // the folder and the Start-menu group as given (empty: as proposed).
    void ToIdePage(const std::string& installDir, const std::string& group = {});
    // From the start through the IDE page (as ToIdePage) to the compile page of the run.
    void StartRun(const std::string& installDir);
    // From the page before the compile page through the run, which ends with the bar of its
    // steps full, to the finish page.
    void RunToFinish();
    // Finish without visiting the web site; the program ends.
    void Finish();

    DWORD WaitForExit(Timeout timeout = uidriver::kDefaultTimeout) { return program_.WaitForExit(timeout); }
    bool Running() const { return program_.Running(); }

private:
    std::vector<HWND> HeaderLabels();

    uidriver::TChildProgram program_;
    HWND window_ = nullptr;
};

// Top-level windows of other programs that show a caption, as the shell opens a folder.
std::vector<HWND> ForeignWindows(DWORD exceptProcess, const std::string& caption);

} // namespace corvalis::e2e
