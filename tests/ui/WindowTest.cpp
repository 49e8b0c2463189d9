#include <gtest/gtest.h>

#include "UserThread.h"
#include "platform/Exceptions.h"
#include "platform/memory/MemoryShell.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/LabelColumn.h"
#include "ui/uDCCCompilerWarning.h"

namespace corvalis::ui {
namespace {

using namespace uidriver;

TEST(WindowTest, AnExceptionOfAHandlerIsShownInTheStandardErrorBoxAndGoesNoFurther)
{
    TForm form("Errors", 200, 100, "MS Sans Serif", 8);
    const HWND button = form.CreateButton("Throw", {10, 10, 75, 23});
    form.OnCommand(button, BN_CLICKED, [] { throw Exception("Bad version string"); });
    form.Show();
    std::string caption;
    uitest::TUserThread user([&] {
        const HWND box = WaitForMessageBox(::GetCurrentProcessId(), "Bad version string.");
        caption = Text(box);
        Click(Control(box, "Button", "OK"));
    });
    Click(button);
    user.Join();
    EXPECT_EQ(caption, "Corvalis Installer");
    EXPECT_TRUE(::IsWindow(form.Handle()));
}

TEST(WindowTest, TypingNotifiesTheEditsParentOnce)
{
    TForm form("Typing", 300, 100, "MS Sans Serif", 8);
    const HWND line = form.CreateControl("EDIT", "", WS_TABSTOP, {10, 10, 200, 21});
    const HWND lines = form.CreateControl("EDIT", "", WS_TABSTOP | ES_MULTILINE, {10, 40, 200, 42});
    int lineChanges = 0, linesChanges = 0;
    form.OnCommand(line, EN_CHANGE, [&] { ++lineChanges; });
    form.OnCommand(lines, EN_CHANGE, [&] { ++linesChanges; });
    form.Show();
    TypeText(line, "C:\\Corvalis");
    TypeText(lines, "two\r\nlines");
    Pump(Timeout(0));
    EXPECT_EQ(Text(line), "C:\\Corvalis");
    EXPECT_EQ(lineChanges, 1);
    EXPECT_EQ(linesChanges, 1);
}

TEST(WindowTest, OnMessageSeesWhatTheWindowLeavesToIt)
{
    TForm form("Drawing", 200, 100, "MS Sans Serif", 8);
    const HWND drawn = form.CreateControl("BUTTON", "", BS_OWNERDRAW, {10, 10, 75, 23});
    HWND drawItemFor = nullptr;
    form.OnMessage = [&](UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message != WM_DRAWITEM)
            return std::nullopt;
        drawItemFor = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
        return TRUE;
    };
    form.Show();
    ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(drawItemFor, drawn);
}

TEST(WindowTest, TheCompilerWarningsLinkOpensItsAddress)
{
    MemoryFiles files;
    MemoryShell shell(files);
    TfDCCCompilerWarning warning(nullptr, shell);
    warning.Show();
    ClickMouse(warning.lblLink);
    Pump(Timeout(0));
    EXPECT_EQ(shell.Opened(), std::vector<std::string>{Text(warning.lblLink)});
    EXPECT_EQ(Text(warning.lblLink).rfind("https://", 0), 0u);
}

TBounds PlaceOf(HWND control)
{
    RECT bounds;
    ::GetWindowRect(control, &bounds);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&bounds), 2);
    return {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

TEST(WindowTest, ALabelColumnGivesEachTextTheLinesItTakesInTheFontItGets)
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

    // A text set later is fitted again.
    ::SetWindowTextA(kept, warning.c_str());
    TLabelColumn again(form, 10, 0, 200);
    again.Fit(kept, 6, 40);
    EXPECT_EQ(PlaceOf(kept).Height, needed);
}

TEST(WindowTest, ProcessMessagesDeliversWhatIsPendingAndNoticesTheEndWithoutStopping)
{
    TForm form("Pending", 200, 100, "MS Sans Serif", 8);
    const HWND button = form.CreateButton("Posted", {10, 10, 75, 23});
    int clicks = 0;
    form.OnCommand(button, BN_CLICKED, [&] { ++clicks; });
    form.Show();
    ::PostMessageA(button, BM_CLICK, 0, 0);
    Application::ProcessMessages();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(Application::Terminated());

    form.Close(); // the main window: a request to end
    Application::ProcessMessages();
    EXPECT_TRUE(Application::Terminated());

    // The operation that pumps goes on after the request, and the window with it.
    ::PostMessageA(button, BM_CLICK, 0, 0);
    Application::ProcessMessages();
    EXPECT_EQ(clicks, 2);
}

} // namespace
} // namespace corvalis::ui
