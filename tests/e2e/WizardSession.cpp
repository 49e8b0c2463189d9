#include "WizardSession.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>

namespace corvalis::e2e {
namespace {

constexpr const char* kCaption = "Corvalis VCL Edition";

int Top(HWND window)
{
    RECT bounds;
    ::GetWindowRect(window, &bounds);
    return bounds.top;
}

} // namespace

namespace {

// The Start-menu group opens in a shell window that bears the group's name, some time
// after the installation made it.
void CloseGroupWindows(DWORD exceptProcess)
{
    for (HWND window : ForeignWindows(exceptProcess, kCaption))
        ::PostMessageA(window, WM_CLOSE, 0, 0);
}

} // namespace

TWizardSession::TWizardSession(const std::string& installer, const std::string& arguments)
    : program_("\"" + installer + "\" " + arguments)
{
}

TWizardSession::~TWizardSession()
{
    CloseGroupWindows(ProcessId());
}

HWND TWizardSession::Window()
{
    if (!window_ || !::IsWindow(window_))
        window_ = uidriver::WaitForWindow(ProcessId(), "CorvalisForm", kCaption);
    return window_;
}

std::string TWizardSession::ActivePage()
{
    for (HWND page : uidriver::Controls(Window(), "CorvalisWizardPage"))
        if (uidriver::IsVisible(page))
            return uidriver::Text(page);
    return {};
}

std::string TWizardSession::Title()
{
    const std::vector<HWND> header = HeaderLabels();
    return header.empty() ? std::string() : uidriver::Text(header[0]);
}

std::string TWizardSession::Subtitle()
{
    const std::vector<HWND> header = HeaderLabels();
    return header.size() < 2 ? std::string() : uidriver::Text(header[1]);
}

// The wizard's own labels, title above subtitle.
std::vector<HWND> TWizardSession::HeaderLabels()
{
    std::vector<HWND> header;
    const HWND wizard = uidriver::Control(Window(), "CorvalisWizard", nullptr);
    for (HWND label : uidriver::Controls(wizard, "Static"))
        if (::GetParent(label) == wizard)
            header.push_back(label);
    std::sort(header.begin(), header.end(), [](HWND a, HWND b) { return Top(a) < Top(b); });
    return header;
}

HWND TWizardSession::Page(const std::string& name)
{
    return uidriver::Control(Window(), "CorvalisWizardPage", name.c_str());
}

void TWizardSession::WaitForPage(const std::string& name, Timeout timeout)
{
    uidriver::WaitUntil([&] { return ActivePage() == name; }, "page " + name + " (showing " + ActivePage() + ")",
                        timeout);
}

HWND TWizardSession::Button(const char* caption)
{
    return uidriver::Control(uidriver::Control(Window(), "CorvalisWizard", nullptr), "Button", caption);
}

void TWizardSession::Next(const std::string& expectedPage)
{
    uidriver::Click(Button("&Next >"));
    WaitForPage(expectedPage);
}

void TWizardSession::NextAsync()
{
    uidriver::ClickAsync(Button("&Next >"));
}

void TWizardSession::Back(const std::string& expectedPage)
{
    uidriver::Click(Button("< &Back"));
    WaitForPage(expectedPage);
}

HWND TWizardSession::Control(const std::string& page, const char* className, const char* caption)
{
    return uidriver::Control(Page(page), className, caption);
}

std::vector<HWND> TWizardSession::Controls(const std::string& page, const char* className)
{
    return uidriver::Controls(Page(page), className);
}

void TWizardSession::ToIdePage(const std::string& installDir, const std::string& group)
{
    uidriver::WaitUntil([&] { return ActivePage() == "wInstallPage" || ActivePage() == "wUpdatePage"; },
                        "the first page");
    const bool update = ActivePage() == "wUpdatePage";
    Next("wLicensePage");
    uidriver::SetCheck(Control("wLicensePage", "Button", "Yes, I accept this agreement"), BST_CHECKED);
    if (!update) {
        Next("wDestinationPage");
        if (!installDir.empty())
            uidriver::TypeText(Controls("wDestinationPage", "Edit").front(), installDir);
        Next("wFolder");
        if (!group.empty())
            uidriver::TypeText(Controls("wFolder", "Edit").front(), group);
    }
    uidriver::Click(Button("&Next >"));
    uidriver::WaitUntil([&] { return ActivePage() == "wCompilationMode" || ActivePage() == "wIDEPage"; },
                        "the compilation mode or IDE page");
    if (ActivePage() == "wCompilationMode")
        Next("wIDEPage");
}

void TWizardSession::StartRun(const std::string& installDir)
{
    ToIdePage(installDir);
    Next("wConfigPage");
    NextAsync();
    WaitForPage("wCompile");
}

void TWizardSession::RunToFinish()
{
    NextAsync();
    WaitForPage("wCompile");
    uidriver::WaitUntilEnabled(Button("&Next >"), true, kRunTimeout);
    // Every mode's run ends with its bar of steps full.
    const HWND bar = Control("wCompile", PROGRESS_CLASSA, nullptr);
    const LRESULT total = ::SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
    EXPECT_GT(total, 0);
    EXPECT_EQ(::SendMessageA(bar, PBM_GETPOS, 0, 0), total);
    Next("wFinish");
}

void TWizardSession::Finish()
{
    const HWND visitWeb = Control("wFinish", "Button", "Learn more about Corvalis at the web site");
    if (uidriver::IsVisible(visitWeb))
        uidriver::SetCheck(visitWeb, BST_UNCHECKED);
    uidriver::Click(Button("&Finish"));
    WaitForExit();
}

std::vector<HWND> ForeignWindows(DWORD exceptProcess, const std::string& caption)
{
    struct Search {
        DWORD exceptProcess;
        const std::string& caption;
        std::vector<HWND> found;
    } search{exceptProcess, caption, {}};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner != search.exceptProcess && uidriver::IsVisible(window) &&
                uidriver::Text(window) == search.caption)
                search.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace corvalis::e2e
