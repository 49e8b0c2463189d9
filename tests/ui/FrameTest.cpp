#include <gtest/gtest.h>

#include "ProbeSession.h"

namespace corvalis::uitest {
namespace {

using namespace uidriver;

// The directory frame in the probe's window, and the shell's folder browser it opens.
class FrameTest : public ::testing::Test {
protected:
    void Start(const std::string& arguments)
    {
        probe_ = std::make_unique<TProbeSession>("frame", arguments);
        window_ = probe_->WaitForWindow("CorvalisForm", "Corvalis Probe");
        edit_ = Control(window_, "Edit", nullptr);
        browseButton_ = Control(window_, "Button", "...");
    }
    HWND WaitForBrowser() { return probe_->WaitForWindow("#32770", nullptr); }
    void CloseProbe()
    {
        ClickCloseBox(window_);
        EXPECT_EQ(probe_->WaitForExit(), 0u);
    }

    std::unique_ptr<TProbeSession> probe_;
    HWND window_ = nullptr;
    HWND edit_ = nullptr;
    HWND browseButton_ = nullptr;
};

TEST_F(FrameTest, DoubleClickingTheEditBrowsesAndCancelKeepsTheFolder)
{
    Start("C:\\windows");
    DoubleClick(edit_);
    const HWND browser = WaitForBrowser();
    EXPECT_TRUE(FindControl(browser, "Static", "Please select the directory below:"));
    EXPECT_FALSE(FindControl(browser, "Button", "No directory")) << "the frame does not allow an empty folder";
    ClickAsync(Control(browser, "Button", "Cancel"));
    WaitUntilGone(browser);
    EXPECT_EQ(Text(edit_), "C:\\windows");
    CloseProbe();
    EXPECT_EQ(probe_->Events(), std::vector<std::string>{"end"});
}

TEST_F(FrameTest, ASecondClickWhileBrowsingIsIgnored)
{
    Start("C:\\windows");
    ClickAsync(browseButton_);
    const HWND browser = WaitForBrowser();
    // A second browse would run its modal loop inside this click and keep it from returning.
    Click(browseButton_);
    EXPECT_EQ(TopLevelWindows(probe_->ProcessId(), "#32770").size(), 1u);
    ClickAsync(Control(browser, "Button", "Cancel"));
    WaitUntilGone(browser);
    CloseProbe();
}

TEST_F(FrameTest, NoDirectoryEmptiesTheFolderWhenEmptyIsAllowed)
{
    Start("allowempty C:\\windows");
    ClickAsync(browseButton_);
    const HWND browser = WaitForBrowser();
    const HWND noDirectory = Control(browser, "Button", "No directory");
    RECT button, ok;
    ::GetWindowRect(noDirectory, &button);
    ::GetWindowRect(Control(browser, "Button", "OK"), &ok);
    EXPECT_EQ(button.top, ok.top);
    EXPECT_EQ(button.bottom, ok.bottom);
    POINT origin = {0, 0};
    ::ClientToScreen(browser, &origin);
    EXPECT_EQ(button.left - origin.x, 12);

    ClickAsync(noDirectory);
    WaitUntilGone(browser);
    probe_->WaitForEvent("change ");
    EXPECT_EQ(Text(edit_), "");
    CloseProbe();
}

TEST_F(FrameTest, ADriveRootIsChosenWithoutItsBackslash)
{
    Start("C:\\");
    ClickAsync(browseButton_);
    const HWND browser = WaitForBrowser();
    ClickAsync(Control(browser, "Button", "OK"));
    probe_->WaitForEvent("change C:");
    EXPECT_EQ(Text(edit_), "C:");
    CloseProbe();
}

} // namespace
} // namespace corvalis::uitest
