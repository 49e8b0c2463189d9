#include <gtest/gtest.h>

#include <richedit.h>

#include "driver/UiDriver.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/LogView.h"

namespace corvalis::ui {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

class LogViewTest : public ::testing::Test {
protected:
    // The common format of the characters from start to end; a mask bit is set only where
    // they all agree.
    CHARFORMAT2A Format(LONG start, LONG end)
    {
        CHARRANGE range = {start, end};
        ::SendMessageA(view.Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2A format = {};
        format.cbSize = sizeof format;
        ::SendMessageA(view.Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    }
    bool IsRed(LONG start, LONG end)
    {
        const CHARFORMAT2A format = Format(start, end);
        return (format.dwMask & CFM_COLOR) && !(format.dwEffects & CFE_AUTOCOLOR) && format.crTextColor == kRed;
    }
    bool IsWindowTextColour(LONG start, LONG end)
    {
        const CHARFORMAT2A format = Format(start, end);
        return (format.dwMask & CFM_COLOR) && (format.dwEffects & CFE_AUTOCOLOR);
    }

    TForm form{"Log", 600, 320, "MS Sans Serif", 8};
    TLogView view{form.Handle(), {11, 10, 575, 271}};
};

TEST_F(LogViewTest, EveryLineEndsWithALineBreak)
{
    view.AppendLogLine("Installing", 0, std::nullopt);
    view.AppendLogLine("Completed", 0, std::nullopt);
    EXPECT_EQ(uidriver::Text(view.Handle()), "Installing\r\nCompleted\r\n");
}

// The control counts a line break as one character: "plain" is 0-5, "error" 6-11, "after" 12-17.
TEST_F(LogViewTest, AColourHoldsForItsLineOnlyAndNoColourIsTheWindowTextColour)
{
    view.AppendLogLine("plain", 0, std::nullopt);
    view.AppendLogLine("error", 0, kRed);
    view.AppendLogLine("after", 0, std::nullopt);
    EXPECT_TRUE(IsWindowTextColour(0, 5));
    EXPECT_TRUE(IsRed(6, 11));
    EXPECT_TRUE(IsWindowTextColour(12, 17));
}

TEST_F(LogViewTest, AMessageOfSeveralLinesTakesItsColourWhole)
{
    view.AppendLogLine("two\r\nlines", 0, kRed);
    view.AppendLogLine("next", 0, std::nullopt);
    EXPECT_TRUE(IsRed(0, 9));
    EXPECT_TRUE(IsWindowTextColour(10, 14));
}

TEST_F(LogViewTest, TheFontStyleIsAppliedToTheLine)
{
    view.AppendLogLine("bold", fsBold, std::nullopt);
    view.AppendLogLine("normal", 0, std::nullopt);
    EXPECT_TRUE(Format(0, 4).dwEffects & CFE_BOLD);
    const CHARFORMAT2A normal = Format(5, 11);
    EXPECT_TRUE(normal.dwMask & CFM_BOLD);
    EXPECT_FALSE(normal.dwEffects & CFE_BOLD);
}

TEST_F(LogViewTest, NothingIsDrawnUntilTheOutermostUpdateBracketCloses)
{
    // Switching redraw off takes WS_VISIBLE from the window's style, without hiding it.
    const auto drawing = [this] { return (::GetWindowLongPtrA(view.Handle(), GWL_STYLE) & WS_VISIBLE) != 0; };
    {
        TLogView::TUpdate outer(view);
        view.AppendLogLine("inside", 0, std::nullopt);
        EXPECT_FALSE(drawing());
    }
    EXPECT_TRUE(drawing());
}

TEST_F(LogViewTest, EnterInTheViewInsertsNothingAndPressesTheDefaultButton)
{
    const HWND next = form.CreateButton("&Next >", {11, 285, 75, 23});
    int presses = 0;
    form.OnCommand(next, BN_CLICKED, [&] { ++presses; });
    form.SetDefaultButton(next);
    form.Show();
    view.AppendLogLine("line", 0, std::nullopt);
    ::SetFocus(view.Handle());
    uidriver::PressKey(form.Handle(), VK_RETURN);
    Application::ProcessMessages();
    EXPECT_EQ(uidriver::Text(view.Handle()), "line\r\n");
    EXPECT_EQ(presses, 1);
}

} // namespace
} // namespace corvalis::ui
