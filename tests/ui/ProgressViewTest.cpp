#include <gtest/gtest.h>

#include "platform/win32/WindowsSupport.h"

#include <commctrl.h>
#include <richedit.h>

#include <chrono>

#include "driver/UiDriver.h"
#include "platform/win32/Win32Locale.h"
#include "ui/Form.h"
#include "ui/ProgressView.h"

namespace corvalis::ui {
namespace {

class ProgressViewTest : public ::testing::Test {
protected:
    ProgressViewTest() { form.Show(); }

    HWND LogView() const { return uidriver::Controls(form.Handle(), "RichEdit20A").at(0); }
    HWND Bar() const { return uidriver::Controls(form.Handle(), PROGRESS_CLASSA).at(0); }
    HWND ProgressLine() const { return uidriver::Controls(form.Handle(), "Static").at(0); }
    bool IsRed(LONG start, LONG end) const
    {
        CHARRANGE range = {start, end};
        ::SendMessageA(LogView(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2A format = {};
        format.cbSize = sizeof format;
        ::SendMessageA(LogView(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return (format.dwMask & CFM_COLOR) && !(format.dwEffects & CFE_AUTOCOLOR) &&
               format.crTextColor == RGB(255, 0, 0);
    }

    Win32Locale locale;
    TForm form{"Progress", 598, 456, "MS Sans Serif", 8};
    TProgressView view{form, locale, {11, 22, 575, 251}, {11, 278, 575, 16}, {11, 298, 575, 33}};
};

// Far more lines than the window draws one by one: they come in batches, whole and in order.
TEST_F(ProgressViewTest, BatchedLinesKeepTheirOrderAndColoursAndTheLastLineIsShownAtTheEnd)
{
    constexpr int kLines = 3000;
    std::string shown;
    std::vector<std::pair<LONG, LONG>> errors; // where the red lines are, a line break being one character
    LONG position = 0;
    for (int i = 0; i < kLines; ++i) {
        const TLogLevel level = i % 3 == 0 ? llDebug : i % 10 == 1 ? llError : llInfo;
        const std::string text = "line " + std::to_string(i);
        view.LogMessage(level, locale.AnsiToWide(text), locale.Now());
        if (level == llDebug)
            continue;
        shown += text + "\r\n";
        if (level == llError)
            errors.emplace_back(position, position + static_cast<LONG>(text.size()));
        position += static_cast<LONG>(text.size()) + 1;
    }
    view.ShowProgress(7, 7);
    view.Flush();

    EXPECT_EQ(uidriver::Text(LogView()), shown);
    for (const auto& [start, end] : errors)
        ASSERT_TRUE(IsRed(start, end)) << start;
    EXPECT_FALSE(IsRed(errors[0].second + 1, errors[1].first - 1));
    EXPECT_EQ(uidriver::Text(ProgressLine()), "line " + std::to_string(kLines - 1));
    EXPECT_EQ(::SendMessageA(Bar(), PBM_GETRANGE, FALSE, 0), 7);
    EXPECT_EQ(::SendMessageA(Bar(), PBM_GETPOS, 0, 0), 7);
    EXPECT_EQ(view.Log().LogLines().size(), static_cast<size_t>(kLines));
}

TEST_F(ProgressViewTest, TheWindowRespondsWhileLinesStreamIn)
{
    bool handled = false;
    form.OnMessage = [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_APP)
            return std::nullopt;
        handled = true;
        return 0;
    };
    ::PostMessageA(form.Handle(), WM_APP, 0, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!handled && std::chrono::steady_clock::now() < deadline)
        view.LogMessage(llDebug, u"tool output", locale.Now());
    EXPECT_TRUE(handled);
}

} // namespace
} // namespace corvalis::ui
