#include <gtest/gtest.h>

#include "ProbeSession.h"
#include "driver/Capture.h"

namespace corvalis::uitest {
namespace {

using namespace uidriver;
using Events = std::vector<std::string>;

// The probe's wizard, driven from this process as a user would.
class WizardTest : public ::testing::Test {
protected:
    void SetUp() override { window_ = probe_.WaitForWindow("CorvalisForm", "Corvalis Probe"); }

    HWND Button(const char* caption) { return Control(window_, "Button", caption); }
    HWND Back() { return Button("< &Back"); }
    HWND Next() { return Button("&Next >"); }
    HWND Finish() { return Button("&Finish"); }
    HWND Cancel() { return Button("Cancel"); }
    HWND PageControl(const char* className, const char* caption)
    {
        return Control(ActivePageWindow(), className, caption);
    }

    // The visible page; none while the wizard changes pages.
    HWND ActivePageWindow()
    {
        for (HWND page : Controls(window_, "CorvalisWizardPage"))
            if (IsVisible(page))
                return page;
        return nullptr;
    }
    void WaitForPage(const std::string& name)
    {
        WaitUntil([&] { return ActivePageWindow() && Text(ActivePageWindow()) == name; }, "the page " + name);
    }
    // Every event written so far, once the last one named has come.
    Events EventsUpTo(const std::string& last)
    {
        probe_.WaitForEvent(last);
        return probe_.Events();
    }

    // Walks on to the page named, doing on each page what lets Next go on.
    void GoTo(const std::string& page)
    {
        static const std::vector<std::string> order = {"Welcome", "Veto", "Controls", "Buttons", "Progress", "Finish"};
        WaitUntil([this] { return IsVisible(Next()) || IsVisible(Finish()); }, "the first page");
        auto name = std::find(order.begin(), order.end(), Text(ActivePageWindow()));
        while (*name != page) {
            if (*name == "Veto")
                SetCheck(PageControl("Button", "Allow Next"), BST_CHECKED);
            if (*name == "Buttons")
                SetCheck(PageControl("Button", "Enable Next"), BST_CHECKED);
            if (*name == "Progress")
                probe_.WaitForEvent("run done");
            Click(Next());
            WaitForPage(*++name);
        }
    }

    TProbeSession probe_{"wizard"};
    HWND window_ = nullptr;
};

TEST_F(WizardTest, StartsOnTheWelcomePageWithItsTitleBesideThePicture)
{
    WaitForPage("Welcome");
    EXPECT_TRUE(IsVisible(FindControl(window_, "Static", "Welcome page")));
    EXPECT_TRUE(IsVisible(FindControl(window_, "Static", "The subtitle of the Welcome page.")));
}

TEST_F(WizardTest, NextSkipsADisabledPageAndBackReturnsOverIt)
{
    Click(Next());
    WaitForPage("Veto");
    Click(Back());
    WaitForPage("Welcome");
    EXPECT_EQ(EventsUpTo("show Welcome"),
              (Events{"enter Welcome", "show Welcome", "enter Veto", "show Veto", "enter Welcome", "show Welcome"}));
}

TEST_F(WizardTest, AVetoOnNextKeepsThePage)
{
    GoTo("Veto");
    Click(Next());
    probe_.WaitForEvent("next Veto stopped");
    EXPECT_EQ(Text(ActivePageWindow()), "Veto");

    SetCheck(PageControl("Button", "Allow Next"), BST_CHECKED);
    Click(Next());
    WaitForPage("Controls");
    EXPECT_EQ(EventsUpTo("show Controls"),
              (Events{"enter Welcome", "show Welcome", "enter Veto", "show Veto", "next Veto stopped",
                      "next Veto allowed", "enter Controls", "show Controls"}));
}

TEST_F(WizardTest, EachPageIsEnteredBeforeItIsShown)
{
    GoTo("Finish");
    EXPECT_EQ(EventsUpTo("show Finish"),
              (Events{"enter Welcome", "show Welcome", "enter Veto", "show Veto", "next Veto allowed", "enter Controls",
                      "show Controls", "enter Buttons", "show Buttons", "enter Progress", "show Progress", "run done",
                      "enter Finish", "show Finish"}));
}

TEST_F(WizardTest, TheButtonsAreThoseThePageShowsAndEnables)
{
    struct Expected {
        bool backVisible, nextVisible, finishVisible, cancelVisible;
        bool nextEnabled, cancelEnabled;
    };
    const auto check = [this](const char* page, Expected expected) {
        SCOPED_TRACE(page);
        EXPECT_EQ(IsVisible(Back()), expected.backVisible);
        EXPECT_EQ(IsVisible(Next()), expected.nextVisible);
        EXPECT_EQ(IsVisible(Finish()), expected.finishVisible);
        EXPECT_EQ(IsVisible(Cancel()), expected.cancelVisible);
        if (expected.nextVisible) {
            EXPECT_EQ(IsEnabled(Next()), expected.nextEnabled);
        }
        if (expected.cancelVisible) {
            EXPECT_EQ(IsEnabled(Cancel()), expected.cancelEnabled);
        }
    };
    WaitForPage("Welcome");
    check("Welcome", {false, true, false, true, true, true});
    GoTo("Buttons");
    check("Buttons", {true, true, false, true, false, true});
    SetCheck(PageControl("Button", "Enable Next"), BST_CHECKED);
    EXPECT_TRUE(IsEnabled(Next()));
    SetCheck(PageControl("Button", "Enable Next"), BST_UNCHECKED);
    EXPECT_FALSE(IsEnabled(Next()));
    GoTo("Progress");
    probe_.WaitForEvent("run done");
    check("Progress after its run", {false, true, false, true, true, false});
    GoTo("Finish");
    check("Finish", {true, false, true, false, false, false}); // the enabling of hidden buttons does not count
    EXPECT_TRUE(IsEnabled(Finish()));
}

TEST_F(WizardTest, APageThatStopsTakingPartIsLeftForTheNextOneThatTakesPart)
{
    GoTo("Buttons");
    SetCheck(PageControl("Button", "Optional takes part"), BST_CHECKED);
    Click(PageControl("Button", "Leave this page"));
    WaitForPage("Optional");
    Click(Back());
    WaitForPage("Controls");
    Click(Next());
    WaitForPage("Optional");
}

TEST_F(WizardTest, CancelEndsTheProgram)
{
    ClickAsync(Cancel());
    EXPECT_EQ(probe_.WaitForExit(), 0u);
    EXPECT_EQ(probe_.Events(), (Events{"enter Welcome", "show Welcome", "cancel", "end"}));
}

TEST_F(WizardTest, EscapePressesCancel)
{
    WaitForPage("Welcome");
    PressKey(window_, VK_ESCAPE);
    EXPECT_EQ(probe_.WaitForExit(), 0u);
    EXPECT_EQ(probe_.Events(), (Events{"enter Welcome", "show Welcome", "cancel", "end"}));
}

TEST_F(WizardTest, EnterPressesNextEvenFromAnotherControl)
{
    WaitForPage("Welcome");
    PressKey(window_, VK_RETURN);
    WaitForPage("Veto");
    PressKey(window_, VK_RETURN); // the focus is on the page's check box
    probe_.WaitForEvent("next Veto stopped");
}

TEST_F(WizardTest, EscapeDoesNothingWhileCancelIsDisabledAndEnterFinishes)
{
    GoTo("Progress");
    probe_.WaitForEvent("run done");
    PressKey(window_, VK_ESCAPE);
    PressKey(window_, VK_RETURN);
    WaitForPage("Finish");
    PressKey(window_, VK_RETURN);
    EXPECT_EQ(probe_.WaitForExit(), 0u);
    const Events events = probe_.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "cancel"), 0);
    EXPECT_EQ(events.back(), "end");
    EXPECT_EQ(events[events.size() - 2], "finish Finish");
}

TEST_F(WizardTest, BackToTheProgressPageRunsNothingAgain)
{
    GoTo("Finish");
    Click(Back());
    WaitForPage("Progress");
    Click(Next());
    WaitForPage("Finish");
    const Events events = EventsUpTo("show Finish");
    EXPECT_EQ(std::count(events.begin(), events.end(), "run done"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "show Progress"), 2);
    EXPECT_EQ(std::count(events.begin(), events.end(), "enter Finish"), 2);
}

TEST_F(WizardTest, TheDriverWorksTheControlsOfAnotherProcess)
{
    GoTo("Controls");
    SelectItem(PageControl("ListBox", nullptr), "Beta");
    EXPECT_EQ(Text(PageControl("Edit", "Beta")), "Beta");
    probe_.WaitForEvent("edit Beta");

    TypeText(PageControl("Edit", "Beta"), "Delta");
    probe_.WaitForEvent("edit Delta");

    const HWND mode = PageControl("ComboBox", nullptr);
    EXPECT_EQ(Items(mode), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    SelectItem(mode, "Gamma");
    probe_.WaitForEvent("combo Gamma");

    const HWND threeStates = PageControl("Button", "Three states");
    SetCheck(threeStates, BST_INDETERMINATE);
    EXPECT_EQ(CheckState(threeStates), BST_INDETERMINATE);
    SetCheck(threeStates, BST_UNCHECKED);
    EXPECT_EQ(EventsUpTo("three 0"),
              (Events{"enter Welcome", "show Welcome", "enter Veto", "show Veto", "next Veto allowed", "enter Controls",
                      "show Controls", "edit Beta", "edit Delta", "combo Gamma", "three 1", "three 2", "three 0"}));
}

// Saved in the temporary folder, for a look at the pages.
TEST_F(WizardTest, ScreenshotsShowThePictureTheHeaderAndTheRedLine)
{
    // Above any other test's window.
    ::SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT frame;
    ::GetWindowRect(window_, &frame);
    POINT client = {0, 0};
    ::ClientToScreen(window_, &client);
    const int left = client.x - frame.left;
    const int top = client.y - frame.top;
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);

    WaitForPage("Welcome");
    const TImage welcome = CaptureWindow(window_);
    SaveBitmap(welcome, InTempFolder("uiprobe-welcome.bmp"));
    const COLORREF picture = welcome.Pixel(left + 4, top + 4);
    EXPECT_LT(GetRValue(picture), 64) << "the picture's teal at the top left";
    EXPECT_GT(GetGValue(picture), 96);
    EXPECT_EQ(welcome.Pixel(left + 590, top + 200), white) << "the text area right of the picture";
    EXPECT_EQ(welcome.Pixel(left + 590, top + 452), face) << "the button bar";

    GoTo("Controls");
    const TImage interior = CaptureWindow(window_);
    SaveBitmap(interior, InTempFolder("uiprobe-interior.bmp"));
    EXPECT_EQ(interior.Pixel(left + 4, top + 4), white) << "the header";
    EXPECT_EQ(interior.Pixel(left + 4, top + 200), face) << "the page below the header";

    GoTo("Progress");
    probe_.WaitForEvent("run done");
    const TImage progress = CaptureWindow(window_);
    SaveBitmap(progress, InTempFolder("uiprobe-progress.bmp"));
    RECT log;
    ::GetWindowRect(PageControl("RichEdit20A", nullptr), &log);
    int redPixels = 0;
    for (int y = log.top - frame.top; y < log.bottom - frame.top; ++y)
        for (int x = log.left - frame.left; x < log.right - frame.left; ++x) {
            const COLORREF pixel = progress.Pixel(x, y);
            redPixels += GetRValue(pixel) > 192 && GetGValue(pixel) < 64 && GetBValue(pixel) < 64;
        }
    EXPECT_GT(redPixels, 20) << "the error line in red";
}

} // namespace
} // namespace corvalis::uitest
