#include <gtest/gtest.h>

#include "platform/win32/WindowsSupport.h"

#include <commctrl.h>
#include <richedit.h>

#include <chrono>

#include "UserThread.h"
#include "platform/Exceptions.h"
#include "platform/memory/MemoryShell.h"
#include "platform/win32/Win32Locale.h"
#include "ui/Application.h"
#include "ui/BrowseFolderDialog.h"
#include "ui/Form.h"
#include "ui/LabelColumn.h"
#include "ui/LogView.h"
#include "ui/ProgressView.h"
#include "ui/uDCCCompilerWarning.h"

namespace corvalis::ui {
namespace {

using namespace uidriver;
using uitest::TUserThread;

// The windows of this process; a second thread plays the user while this one runs a modal loop.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() { form.Show(); }
    TForm form{"Window", 598, 456, "MS Sans Serif", 8};
};

TEST_F(WindowTest, AnExceptionOfAHandlerIsShownInTheStandardErrorBoxAndGoesNoFurther)
{
    const HWND button = form.CreateButton("Throw", {10, 10, 75, 23});
    form.OnCommand(button, BN_CLICKED, [] { throw Exception("Bad version string"); });
    std::string caption;
    TUserThread user([&] {
        const HWND box = WaitForMessageBox(::GetCurrentProcessId(), "Bad version string.");
        caption = Text(box);
        Click(Control(box, "Button", "OK"));
    });
    Click(button);
    user.Join();
    EXPECT_EQ(caption, "Corvalis Installer");
    EXPECT_TRUE(::IsWindow(form.Handle()));
}

// As a cancel during the run: the main window's close ends the program only once the run,
// which goes on pumping its messages, returns.
TEST_F(WindowTest, ProcessMessagesDeliversWhatIsPendingAndNoticesTheEndWithoutStopping)
{
    const HWND button = form.CreateButton("Posted", {10, 10, 75, 23});
    int clicks = 0;
    form.OnCommand(button, BN_CLICKED, [&] { ++clicks; });
    ::PostMessageA(button, BM_CLICK, 0, 0);
    Application::ProcessMessages();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(Application::Terminated());
    form.Close();
    Application::ProcessMessages();
    EXPECT_TRUE(Application::Terminated());
    ::PostMessageA(button, BM_CLICK, 0, 0);
    Application::ProcessMessages();
    EXPECT_EQ(clicks, 2);
}

TEST_F(WindowTest, TheCompilerWarningsLinkOpensItsAddress)
{
    MemoryFiles files;
    MemoryShell shell(files);
    TfDCCCompilerWarning warning(nullptr, shell);
    warning.Show();
    ClickMouse(warning.lblLink);
    Pump(Timeout(0));
    EXPECT_EQ(shell.Opened(), std::vector<std::string>{Text(warning.lblLink)});
}

TBounds PlaceOf(HWND control)
{
    RECT bounds;
    ::GetWindowRect(control, &bounds);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&bounds), 2);
    return {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

TEST(LabelColumnTest, GivesEachTextTheLinesItTakesInTheFontItGets)
{
    // A font larger than the one the column's room was meant for.
    TForm form("Column", 300, 300, "MS Sans Serif", 14);
    const std::string warning = "WARNING: This program is protected by copyright law and international treaties.";
    TLabelColumn column(form, 10, 0, 200);
    const HWND grown = column.Label(warning, 10, 30);
    const HWND kept = column.Label("Short", 6, 40);
    const TBounds edit = column.Place(4, 21, 20);
    const int needed = TextExtent(grown, warning, 200).cy;
    EXPECT_GT(needed, 30);
    EXPECT_EQ(PlaceOf(grown), (TBounds{10, 10, 200, needed}));
    EXPECT_EQ(PlaceOf(kept), (TBounds{10, 16 + needed, 200, 40}));
    EXPECT_EQ(edit, (TBounds{30, 60 + needed, 180, 21}));
}

// The colour that the characters from start to end share ("auto" for the window text's),
// and whether they are all bold.
std::string Format(HWND view, LONG start, LONG end)
{
    CHARRANGE range = {start, end};
    ::SendMessageA(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    ::SendMessageA(view, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    const std::string colour = !(format.dwMask & CFM_COLOR)           ? "mixed"
                               : format.dwEffects & CFE_AUTOCOLOR     ? "auto"
                               : format.crTextColor == RGB(255, 0, 0) ? "red"
                                                                      : "other";
    return colour + ((format.dwMask & CFM_BOLD) && (format.dwEffects & CFE_BOLD) ? " bold" : "");
}

// The control counts a line break as one character. Enter in the view presses the default button.
TEST_F(WindowTest, TheLogViewKeepsTheLinesInOrderEachInItsOwnColourAndStyleAndLeavesEnterToTheWindow)
{
    TLogView view(form.Handle(), {11, 10, 575, 271});
    const HWND next = form.CreateButton("&Next >", {11, 285, 75, 23});
    int presses = 0;
    form.OnCommand(next, BN_CLICKED, [&] { ++presses; });
    form.SetDefaultButton(next);
    view.AppendLogLine("plain", 0, std::nullopt);
    view.AppendLogLine("two\r\nlines", 0, RGB(255, 0, 0));
    view.AppendLogLine("bold", fsBold, std::nullopt);
    view.AppendLogLine("after", 0, std::nullopt);
    ::SetFocus(view.Handle());
    PressKey(form.Handle(), VK_RETURN);
    Application::ProcessMessages();
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(Text(view.Handle()), "plain\r\ntwo\r\nlines\r\nbold\r\nafter\r\n");
    std::vector<std::string> formats;
    for (const auto& [start, end] : {std::pair{0, 5}, {6, 15}, {16, 20}, {21, 26}})
        formats.push_back(Format(view.Handle(), start, end));
    EXPECT_EQ(formats, (std::vector<std::string>{"auto", "red", "auto bold", "auto"}));
}

class ProgressViewTest : public WindowTest {
protected:
    HWND LogView() const { return Controls(form.Handle(), "RichEdit20W").at(0); }
    Win32Locale locale;
    TProgressView view{form, locale, {11, 22, 575, 251}, {11, 278, 575, 16}, {11, 298, 575, 33}};
};

// Far more lines than the window draws one by one: they come in batches, whole and in order.
TEST_F(ProgressViewTest, BatchedLinesKeepTheirOrderAndColoursAndTheLastLineIsShownAtTheEnd)
{
    constexpr int kLines = 3000;
    std::string shown;
    std::vector<std::pair<LONG, LONG>> errors;
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
    view.Flush();

    EXPECT_EQ(Text(LogView()), shown);
    for (const auto& [start, end] : errors)
        ASSERT_EQ(Format(LogView(), start, end), "red") << start;
    EXPECT_EQ(Format(LogView(), errors[0].second + 1, errors[1].first - 1), "auto");
    EXPECT_EQ(Text(Controls(form.Handle(), "Static").at(0)), "line " + std::to_string(kLines - 1));
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

// The shell's browser runs modally on this thread; a second thread plays the user.
TEST(BrowseFolderDialogTest, OpensCentredAndOkChoosesTheFolderWithoutATrailingBackslashWhileCancelKeepsIt)
{
    const win32::ComApartment com;
    const struct {
        const char* given;
        const char* button;
        bool chosen;
        const char* folder;
    } cases[] = {{"C:\\windows", "OK", true, "C:\\windows"},
                 {"C:\\", "OK", true, "C:"},
                 {"C:\\windows", "Cancel", false, "C:\\windows"}};
    for (const auto& c : cases) {
        TBrowseFolderDialog dialog(nullptr);
        dialog.FolderName = c.given;
        RECT bounds = {};
        TUserThread user([&] {
            const HWND browser = WaitForWindow(::GetCurrentProcessId(), "#32770", nullptr);
            ::GetWindowRect(browser, &bounds);
            Click(Control(browser, "Button", c.button));
        });
        EXPECT_EQ(dialog.Execute(), c.chosen) << c.given << " " << c.button;
        user.Join();
        EXPECT_EQ(::lstrcmpiA(dialog.FolderName.c_str(), c.folder), 0) << dialog.FolderName;
        EXPECT_EQ(bounds.left, (::GetSystemMetrics(SM_CXSCREEN) - (bounds.right - bounds.left)) / 2);
        EXPECT_EQ(bounds.top, (::GetSystemMetrics(SM_CYSCREEN) - (bounds.bottom - bounds.top)) / 2);
    }
}

} // namespace
} // namespace corvalis::ui
