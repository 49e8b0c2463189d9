#include <gtest/gtest.h>

#include "UserThread.h"
#include "ui/Application.h"
#include "ui/BrowseFolderDialog.h"

namespace corvalis::ui {
namespace {

using namespace uidriver;
using uitest::TUserThread;

HWND WaitForBrowser()
{
    return WaitForWindow(::GetCurrentProcessId(), "#32770", nullptr);
}

HWND Button(HWND browser, const char* caption)
{
    return Control(browser, "Button", caption);
}

// The shell's browser runs modally on this thread; a second thread works it.
class BrowseFolderDialogTest : public ::testing::Test {
protected:
    TBrowseFolderDialog dialog{nullptr};
    win32::ComApartment com;
};

TEST_F(BrowseFolderDialogTest, AnExistingFolderIsPreselectedAndChosenWithOk)
{
    dialog.FolderName = "C:\\windows";
    TUserThread user([] { Click(Button(WaitForBrowser(), "OK")); });
    EXPECT_TRUE(dialog.Execute());
    user.Join();
    EXPECT_EQ(::lstrcmpiA(dialog.FolderName.c_str(), "C:\\windows"), 0) << dialog.FolderName;
    EXPECT_EQ(dialog.SelectionText(), dialog.FolderName);
    EXPECT_EQ(dialog.DialogHandle(), nullptr);
    EXPECT_EQ(dialog.OldWndProc(), nullptr);
}

TEST_F(BrowseFolderDialogTest, ADriveRootComesBackWithoutItsBackslash)
{
    dialog.FolderName = "C:\\";
    TUserThread user([] { Click(Button(WaitForBrowser(), "OK")); });
    EXPECT_TRUE(dialog.Execute());
    user.Join();
    EXPECT_EQ(dialog.FolderName, "C:");
}

TEST_F(BrowseFolderDialogTest, CancelKeepsTheFolderNameAndTheWindowOpensCentred)
{
    dialog.FolderName = "C:\\windows";
    RECT bounds = {};
    TUserThread user([&] {
        const HWND browser = WaitForBrowser();
        ::GetWindowRect(browser, &bounds);
        Click(Button(browser, "Cancel"));
    });
    EXPECT_FALSE(dialog.Execute());
    user.Join();
    EXPECT_EQ(dialog.FolderName, "C:\\windows");
    EXPECT_EQ(bounds.left, (::GetSystemMetrics(SM_CXSCREEN) - (bounds.right - bounds.left)) / 2);
    EXPECT_EQ(bounds.top, (::GetSystemMetrics(SM_CYSCREEN) - (bounds.bottom - bounds.top)) / 2);
}

TEST_F(BrowseFolderDialogTest, AHelpContextAddsAHelpButtonThatShowsItsTopic)
{
    std::vector<int> topics;
    Application::OnHelp = [&](int context) { topics.push_back(context); };
    dialog.HelpContext = 7;
    RECT help = {}, ok = {};
    POINT origin = {};
    TUserThread user([&] {
        const HWND browser = WaitForBrowser();
        ::GetWindowRect(Button(browser, "&Help"), &help);
        ::GetWindowRect(Button(browser, "OK"), &ok);
        ::ClientToScreen(browser, &origin);
        Click(Button(browser, "&Help"));
        Click(Button(browser, "Cancel"));
    });
    EXPECT_FALSE(dialog.Execute());
    user.Join();
    Application::OnHelp = nullptr;
    EXPECT_EQ(topics, std::vector<int>{7});
    EXPECT_EQ(help.left - origin.x, 12);
    EXPECT_EQ(help.top, ok.top);
    EXPECT_EQ(help.right - help.left, ok.right - ok.left);
}

TEST_F(BrowseFolderDialogTest, OnEnableOKBtnHasTheLastWordOnOk)
{
    dialog.FolderName = "C:\\windows";
    dialog.OnEnableOKBtn = [](TBrowseFolderDialog&, bool& enable) { enable = !enable; };
    TUserThread user([] {
        const HWND browser = WaitForBrowser();
        WaitUntilEnabled(Button(browser, "OK"), false);
        Click(Button(browser, "Cancel"));
    });
    EXPECT_FALSE(dialog.Execute());
    user.Join();
}

TEST_F(BrowseFolderDialogTest, TheHooksSeeTheBrowseWindowAndItsMessages)
{
    constexpr UINT kProbeMessage = WM_APP + 1;
    HWND initialized = nullptr, customized = nullptr, browser = nullptr;
    std::vector<WORD> commands;
    dialog.OnInitialized = [&](TBrowseFolderDialog& sender) { initialized = sender.DialogHandle(); };
    dialog.OnCustomize = [&](TBrowseFolderDialog&, HWND handle) { customized = handle; };
    dialog.OnCommand = [&](TBrowseFolderDialog&, TMessage& message, bool&) {
        commands.push_back(LOWORD(message.WParam));
    };
    dialog.OnWndProc = [&](TBrowseFolderDialog&, TMessage& message, bool& handled) {
        if (message.Msg == kProbeMessage) {
            message.Result = 42;
            handled = true;
        }
    };
    DWORD_PTR answer = 0;
    TUserThread user([&] {
        browser = WaitForBrowser();
        ::SendMessageTimeoutA(browser, kProbeMessage, 0, 0, SMTO_NORMAL, 10000, &answer);
        Click(Button(browser, "Cancel"));
    });
    EXPECT_FALSE(dialog.Execute());
    user.Join();
    EXPECT_EQ(initialized, browser);
    EXPECT_EQ(customized, browser);
    EXPECT_EQ(answer, 42u);
    EXPECT_NE(std::find(commands.begin(), commands.end(), IDCANCEL), commands.end());
}

} // namespace
} // namespace corvalis::ui
