#include <gtest/gtest.h>

#include "ProbeSession.h"

namespace corvalis::uitest {
namespace {

using namespace uidriver;

// How the user ends a dialog: a button's caption, or one of these.
constexpr const char* kEscape = "<Esc>";
constexpr const char* kEnter = "<Enter>";
constexpr const char* kCloseBox = "<close box>";

struct DialogCase {
    const char* mode;
    const char* caption;
    const char* action;
    DWORD modalResult;
};

void PrintTo(const DialogCase& c, std::ostream* out)
{
    *out << c.mode << " " << c.action;
}

class DialogResultTest : public ::testing::TestWithParam<DialogCase> {};

TEST_P(DialogResultTest, EndsWithTheModalResultOfTheUsersChoice)
{
    const DialogCase& c = GetParam();
    TProbeSession probe(c.mode, "\"2.1 With Sources\"");
    const HWND dialog = probe.WaitForWindow("CorvalisForm", c.caption);
    if (c.action == kEscape)
        PressKey(dialog, VK_ESCAPE);
    else if (c.action == kEnter)
        PressKey(dialog, VK_RETURN);
    else if (c.action == kCloseBox)
        ClickCloseBox(dialog);
    else
        ClickAsync(Control(dialog, "Button", c.action));
    EXPECT_EQ(probe.WaitForExit(), c.modalResult);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, DialogResultTest,
    ::testing::Values(DialogCase{"dcc", "Warning", "&Retry", 4}, DialogCase{"dcc", "Warning", "Continue Anyway", 5},
                      DialogCase{"dcc", "Warning", "Exit", 2}, DialogCase{"dcc", "Warning", kEscape, 4},
                      DialogCase{"dcc", "Warning", kEnter, 5}, DialogCase{"dcc", "Warning", kCloseBox, 2},
                      DialogCase{"noide", "Corvalis Installer", "Continue with the installation", 2},
                      DialogCase{"noide", "Corvalis Installer", "Exit Setup", 1},
                      DialogCase{"noide", "Corvalis Installer", kEscape, 2},
                      DialogCase{"noide", "Corvalis Installer", kEnter, 1},
                      DialogCase{"noide", "Corvalis Installer", kCloseBox, 2}));

// The start-up's account check, with the owner of the desktop faked as another account.
TEST(DialogsTest, AnotherAccountsDesktopAsksWhetherToGoOn)
{
    for (const auto& [button, exitCode] : {std::pair{"&Yes", 1u}, std::pair{"&No", 0u}}) {
        TProbeSession probe("account", "\"OFFICE\\Developer\"");
        const HWND box = WaitForMessageBox(probe.ProcessId(), "but this desktop belongs to OFFICE\\Developer.");
        WaitForText(box, "Corvalis Installer");
        ClickAsync(Control(box, "Button", button));
        EXPECT_EQ(probe.WaitForExit(), exitCode) << button;
    }
}

TEST(DialogsTest, TheDesktopOfTheInstallersOwnAccountAsksNothing)
{
    // A box would hold the probe until the wait gives up.
    TProbeSession probe("account");
    EXPECT_EQ(probe.WaitForExit(), 1u);
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO thread = {sizeof thread};
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &thread);
    return thread.hwndFocus;
}

TEST(DialogsTest, TheCompilerWarningNamesTheIdeAndOpensOnContinueAnyway)
{
    TProbeSession probe("dcc", "\"Turbo Delphi 2006\"");
    const HWND dialog = probe.WaitForWindow("CorvalisForm", "Warning");
    EXPECT_TRUE(FindControl(dialog, "Static",
                            "The installer has detected that your Turbo Delphi 2006 doesn't have the Delphi "
                            "command-line compiler (dcc32.exe) which is required in order to compile third-party "
                            "connectivity packages."));
    WaitUntil([&] { return FocusOf(dialog) == Control(dialog, "Button", "Continue Anyway"); }, "the focus");
    RECT client;
    ::GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 431);
    EXPECT_EQ(client.bottom, 259);
}

TEST(DialogsTest, TheNoIdeDialogShowsTheVersionAndOpensOnItsDefaultButton)
{
    TProbeSession probe("noide", "\"2.1 With Sources\"");
    const HWND dialog = probe.WaitForWindow("CorvalisForm", "Corvalis Installer");
    EXPECT_TRUE(FindControl(dialog, "Static", "2.1 With Sources"));
    EXPECT_TRUE(FindControl(dialog, "Static", "Thank you for your interest to our products!"));
    WaitUntil([&] { return FocusOf(dialog) == Control(dialog, "Button", "Exit Setup"); }, "the focus");
    RECT client;
    ::GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 752);
    EXPECT_EQ(client.bottom, 513);
    // A fixed dialog box with only the system menu.
    const auto style = ::GetWindowLongPtrA(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), WS_SYSMENU);
    EXPECT_TRUE(::GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
}

} // namespace
} // namespace corvalis::uitest
