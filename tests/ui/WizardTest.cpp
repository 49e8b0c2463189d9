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
    HWND PageButton(const char* caption) { return Control(ActivePage(), "Button", caption); }
    // The visible page; none while the wizard changes pages.
    HWND ActivePage()
    {
        for (HWND page : Controls(window_, "CorvalisWizardPage"))
            if (IsVisible(page))
                return page;
        return nullptr;
    }
    void WaitForPage(const std::string& name)
    {
        WaitUntil([&] { return ActivePage() && Text(ActivePage()) == name; }, "the page " + name);
    }
    void Press(const char* caption, const std::string& page)
    {
        Click(Button(caption));
        WaitForPage(page);
    }
    // Back, Next, Finish and Cancel: a capital letter when enabled, small when not, '-' hidden.
    std::string Buttons()
    {
        std::string shown;
        for (const auto& [caption, letter] :
             {std::pair{"< &Back", 'B'}, {"&Next >", 'N'}, {"&Finish", 'F'}, {"Cancel", 'C'}}) {
            const HWND button = Button(caption);
            shown += !IsVisible(button) ? '-' : IsEnabled(button) ? letter : static_cast<char>(letter + 32);
        }
        return shown;
    }

    TProbeSession probe_{"wizard"};
    HWND window_ = nullptr;
};

// The pages as they show, above any other test's window: the welcome page with the picture,
// the others with the header.
TEST_F(WizardTest, ThePagesComeInOrderWithTheirLookAndButtonsAndEnterAndEscapePressThem)
{
    ::SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT frame;
    ::GetWindowRect(window_, &frame);
    POINT client = {0, 0};
    ::ClientToScreen(window_, &client);
    const int left = client.x - frame.left, top = client.y - frame.top;
    const COLORREF white = RGB(255, 255, 255), face = ::GetSysColor(COLOR_BTNFACE);
    WaitForPage("Welcome");
    const TImage welcome = CaptureWindow(window_);
    const COLORREF picture = welcome.Pixel(left + 4, top + 4);
    EXPECT_TRUE(GetRValue(picture) < 64 && GetGValue(picture) > 96) << "the picture's teal at the top left";
    EXPECT_EQ(welcome.Pixel(left + 590, top + 200), white) << "the text area right of the picture";
    EXPECT_EQ(welcome.Pixel(left + 590, top + 452), face) << "the button bar";
    EXPECT_EQ(Buttons(), "-N-C");
    PressKey(window_, VK_RETURN);
    WaitForPage("Veto"); // over a page that takes no part
    const TImage interior = CaptureWindow(window_);
    EXPECT_EQ(interior.Pixel(left + 4, top + 4), white) << "the header";
    EXPECT_EQ(interior.Pixel(left + 4, top + 200), face) << "the page below the header";
    PressKey(window_, VK_RETURN); // from the page's check box, which has the focus
    probe_.WaitForEvent("next Veto stopped");
    SetCheck(PageButton("Allow Next"), BST_CHECKED);
    Press("&Next >", "Controls");
    Press("&Next >", "Buttons");
    EXPECT_EQ(Buttons(), "Bn-C");
    SetCheck(PageButton("Enable Next"), BST_CHECKED);
    EXPECT_EQ(Buttons(), "BN-C");
    // A page that stops taking part while shown gives way to the next one that takes part.
    SetCheck(PageButton("Optional takes part"), BST_CHECKED);
    Click(PageButton("Leave this page"));
    WaitForPage("Optional");
    Press("&Next >", "Progress");
    probe_.WaitForEvent("run done");
    EXPECT_EQ(Buttons(), "-N-c");
    PressKey(window_, VK_ESCAPE); // Cancel is disabled
    PressKey(window_, VK_RETURN);
    WaitForPage("Finish");
    EXPECT_EQ(Buttons(), "B-F-");
    PressKey(window_, VK_RETURN);
    EXPECT_EQ(probe_.WaitForExit(), 0u);
    EXPECT_EQ(
        probe_.Events(),
        (Events{"enter Welcome", "show Welcome", "enter Veto", "show Veto", "next Veto stopped", "next Veto allowed",
                "enter Controls", "show Controls", "enter Buttons", "show Buttons", "enter Optional", "show Optional",
                "enter Progress", "show Progress", "run done", "enter Finish", "show Finish", "finish Finish", "end"}));
}

TEST_F(WizardTest, EscapePressesCancelWhichEndsTheProgram)
{
    WaitForPage("Welcome");
    PressKey(window_, VK_ESCAPE);
    EXPECT_EQ(probe_.WaitForExit(), 0u);
    EXPECT_EQ(probe_.Events(), (Events{"enter Welcome", "show Welcome", "cancel", "end"}));
}

// How the user ends a dialog: a button's caption, or one of these.
constexpr const char* kEscape = "<Esc>";
constexpr const char* kEnter = "<Enter>";
constexpr const char* kCloseBox = "<close box>";

struct DialogCase {
    const char* mode;
    const char* argument;
    const char* caption;
    const char* action;
    DWORD exitCode;
};

void PrintTo(const DialogCase& c, std::ostream* out)
{
    *out << c.mode << " " << c.action;
}

class DialogTest : public ::testing::TestWithParam<DialogCase> {};

// The probe ends with the dialog's modal result; with 1 after the account question when the
// user goes on. What the dialogs' buttons lead to, the installer's own tests show.
TEST_P(DialogTest, EndsWithTheResultOfTheUsersChoice)
{
    const DialogCase& c = GetParam();
    TProbeSession probe(c.mode, c.argument);
    const HWND dialog = probe.WaitForWindow(nullptr, c.caption);
    if (c.action == kEscape || c.action == kEnter)
        PressKey(dialog, c.action == kEscape ? VK_ESCAPE : VK_RETURN);
    else if (c.action == kCloseBox)
        ClickCloseBox(dialog);
    else
        ClickAsync(Control(dialog, "Button", c.action));
    EXPECT_EQ(probe.WaitForExit(), c.exitCode);
}

constexpr const char* kTurbo = "\"Turbo Delphi 2006\"";
constexpr const char* kVersion = "\"2.1 With Sources\"";
constexpr const char* kOtherAccount = "\"OFFICE\\Developer\"";
INSTANTIATE_TEST_SUITE_P(Choices, DialogTest,
                         ::testing::Values(DialogCase{"dcc", kTurbo, "Warning", kEscape, 4},
                                           DialogCase{"dcc", kTurbo, "Warning", kEnter, 5},
                                           DialogCase{"dcc", kTurbo, "Warning", kCloseBox, 2},
                                           DialogCase{"noide", kVersion, "Corvalis Installer", kEscape, 2},
                                           DialogCase{"noide", kVersion, "Corvalis Installer", kEnter, 1},
                                           DialogCase{"noide", kVersion, "Corvalis Installer", kCloseBox, 2},
                                           DialogCase{"account", kOtherAccount, "Corvalis Installer", "&Yes", 1},
                                           DialogCase{"account", kOtherAccount, "Corvalis Installer", "&No", 0}));

// The directory frame in the probe's window, and the shell's folder browser it opens.
class FrameTest : public ::testing::Test {
protected:
    void Start(const std::string& arguments)
    {
        probe_ = std::make_unique<TProbeSession>("frame", arguments);
        window_ = probe_->WaitForWindow("CorvalisForm", "Corvalis Probe");
        edit_ = Control(window_, "Edit", nullptr);
    }
    HWND BrowseButton() { return Control(window_, "Button", "..."); }
    HWND WaitForBrowser() { return probe_->WaitForWindow("#32770", nullptr); }
    void End(HWND browser, const char* button)
    {
        ClickAsync(Control(browser, "Button", button));
        WaitUntilGone(browser);
    }

    std::unique_ptr<TProbeSession> probe_;
    HWND window_ = nullptr;
    HWND edit_ = nullptr;
};

TEST_F(FrameTest, DoubleClickingTheEditBrowsesOnceAndCancelKeepsTheFolder)
{
    Start("C:\\windows");
    DoubleClick(edit_);
    const HWND browser = WaitForBrowser();
    EXPECT_TRUE(FindControl(browser, "Static", "Please select the directory below:"));
    EXPECT_FALSE(FindControl(browser, "Button", "No directory")) << "the frame does not allow an empty folder";
    // A second browse would run its modal loop inside this click and keep it from returning.
    Click(BrowseButton());
    EXPECT_EQ(TopLevelWindows(probe_->ProcessId(), "#32770").size(), 1u);
    End(browser, "Cancel");
    EXPECT_EQ(Text(edit_), "C:\\windows");
    ClickCloseBox(window_);
    EXPECT_EQ(probe_->WaitForExit(), 0u);
    EXPECT_EQ(probe_->Events(), std::vector<std::string>{"end"});
}

TEST_F(FrameTest, NoDirectoryEmptiesTheFolderWhenEmptyIsAllowed)
{
    Start("allowempty C:\\windows");
    ClickAsync(BrowseButton());
    const HWND browser = WaitForBrowser();
    End(browser, "No directory");
    probe_->WaitForEvent("change ");
    EXPECT_EQ(Text(edit_), "");
}

} // namespace
} // namespace corvalis::uitest
