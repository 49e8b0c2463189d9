#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "ui/WizardFlow.h"

namespace corvalis::ui {

// gtest prints placements through this, found by argument lookup.
void PrintTo(const TButtonPlacement& p, std::ostream* out)
{
    *out << int(p.Button) << " at " << p.Bounds.Left << "," << p.Bounds.Top << " " << p.Bounds.Width << "x"
         << p.Bounds.Height;
}

namespace {

// Pages as a pattern: 'x' takes part, '.' is disabled.
std::vector<bool> Pages(const std::string& pattern)
{
    std::vector<bool> enabled;
    for (const char page : pattern)
        enabled.push_back(page == 'x');
    return enabled;
}

constexpr std::optional<size_t> kNone = std::nullopt;

struct NavigationCase {
    const char* pages;
    size_t from;
    std::optional<size_t> next;
    std::optional<size_t> previous;
    std::optional<size_t> replacing; // when `from` is disabled while active
};

void PrintTo(const NavigationCase& c, std::ostream* out)
{
    *out << c.pages << " from " << c.from;
}

class NavigationTest : public ::testing::TestWithParam<NavigationCase> {};

TEST_P(NavigationTest, SkipsDisabledPagesBothWays)
{
    const NavigationCase& c = GetParam();
    EXPECT_EQ(NextEnabledPage(Pages(c.pages), c.from), c.next);
    EXPECT_EQ(PreviousEnabledPage(Pages(c.pages), c.from), c.previous);
    EXPECT_EQ(PageReplacingDisabled(Pages(c.pages), c.from), c.replacing);
}

INSTANTIATE_TEST_SUITE_P(PageSets, NavigationTest,
                         ::testing::Values(NavigationCase{"xxxx", 0, 1, kNone, 1},         // first page
                                           NavigationCase{"xxxx", 3, kNone, 2, 2},         // last page
                                           NavigationCase{"x..x", 0, 3, kNone, 3},         // a gap forward
                                           NavigationCase{"x..x", 3, kNone, 0, 0},         // the same gap backward
                                           NavigationCase{"x.x.x", 2, 4, 0, 4},            // gaps on both sides
                                           NavigationCase{".xx.", 1, 2, kNone, 2},         // disabled first page
                                           NavigationCase{"xx..", 1, kNone, 0, 0},         // nothing enabled after
                                           NavigationCase{"x...", 0, kNone, kNone, kNone}, // alone
                                           NavigationCase{"....", 1, kNone, kNone, kNone}, // none at all
                                           NavigationCase{"x.x", 1, 2, 0, 2}));            // from a disabled page

struct DefaultButtonCase {
    TWizardButtons visible;
    TWizardButtons enabled;
    std::optional<TWizardButton> expected;
};

void PrintTo(const DefaultButtonCase& c, std::ostream* out)
{
    *out << "visible " << int(c.visible) << " enabled " << int(c.enabled);
}

class DefaultButtonTest : public ::testing::TestWithParam<DefaultButtonCase> {};

TEST_P(DefaultButtonTest, EnterPressesNextOrFinishWhenUsable)
{
    EXPECT_EQ(DefaultButton(GetParam().visible, GetParam().enabled), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(ButtonSets, DefaultButtonTest,
                         ::testing::Values(DefaultButtonCase{wbBack | wbNext | wbCancel, wbAllButtons, wbNext},
                                           DefaultButtonCase{wbBack | wbFinish, wbAllButtons, wbFinish},
                                           DefaultButtonCase{wbNext | wbCancel, wbCancel,
                                                             std::nullopt}, // the compile page at start
                                           DefaultButtonCase{wbNext | wbFinish, wbFinish, wbFinish},
                                           DefaultButtonCase{wbBack | wbCancel, wbAllButtons, std::nullopt}));

TEST(ButtonBarTest, InteriorPageButtonsJoinBackToNextAndSetCancelApart)
{
    const auto bar = LayoutButtonBar(wbBack | wbNext | wbCancel, 598, 456);
    ASSERT_EQ(bar.size(), 3u);
    EXPECT_EQ(bar[0], (TButtonPlacement{wbBack, {355, 423, 75, 23}}));
    EXPECT_EQ(bar[1], (TButtonPlacement{wbNext, {430, 423, 75, 23}}));
    EXPECT_EQ(bar[2], (TButtonPlacement{wbCancel, {515, 423, 75, 23}}));
}

TEST(ButtonBarTest, OnlyVisibleButtonsArePlacedFromTheRight)
{
    const auto finish = LayoutButtonBar(wbBack | wbFinish, 598, 456);
    ASSERT_EQ(finish.size(), 2u);
    EXPECT_EQ(finish[0], (TButtonPlacement{wbBack, {440, 423, 75, 23}}));
    EXPECT_EQ(finish[1], (TButtonPlacement{wbFinish, {515, 423, 75, 23}}));

    const auto welcome = LayoutButtonBar(wbNext | wbCancel, 598, 456);
    ASSERT_EQ(welcome.size(), 2u);
    EXPECT_EQ(welcome[0].Button, wbNext);
    EXPECT_EQ(welcome[0].Bounds.Right() + 10, welcome[1].Bounds.Left);

    const auto all = LayoutButtonBar(wbAllButtons, 598, 456);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[1].Bounds.Right() + 6, all[2].Bounds.Left); // Next, then Finish
    EXPECT_TRUE(LayoutButtonBar(0, 598, 456).empty());
}

// Records what the flow asks of its window, and plays the pages' events.
class RecordingView : public TWizardFlow::IView {
public:
    void EnterPage(size_t page) override
    {
        Record("enter", page);
        if (onEnter.contains(page))
            onEnter[page]();
    }
    void ShowPage(size_t page) override { Record("show", page); }
    void PageShown(size_t page) override { Record("shown", page); }
    void NextButtonClick(size_t page, bool& stop) override
    {
        Record("next", page);
        stop = vetoes.contains(page);
    }
    void ButtonsChanged() override { calls.push_back("buttons"); }

    std::vector<std::string> calls;
    std::map<size_t, std::function<void()>> onEnter;
    std::set<size_t> vetoes;

private:
    void Record(const char* what, size_t page) { calls.push_back(std::string(what) + " " + std::to_string(page)); }
};

class WizardFlowTest : public ::testing::Test {
protected:
    // A flow of pages as a pattern, as for the navigation functions.
    void Build(const std::string& pattern)
    {
        for (const char page : pattern)
            flow.SetPageEnabled(flow.AddPage(), page == 'x');
    }
    std::vector<std::string> TakeCalls() { return std::exchange(view.calls, {}); }

    RecordingView view;
    TWizardFlow flow{view};
};

using Calls = std::vector<std::string>;

TEST_F(WizardFlowTest, StartsOnTheFirstPageThatTakesPart)
{
    Build("..xx");
    EXPECT_EQ(flow.ActivePage(), kNone);
    EXPECT_TRUE(TakeCalls().empty()); // disabling before the start moves nothing
    flow.Start();
    EXPECT_EQ(flow.ActivePage(), 2u);
    EXPECT_EQ(TakeCalls(), (Calls{"enter 2", "show 2", "shown 2"}));
}

TEST_F(WizardFlowTest, NextAndBackSkipDisabledPages)
{
    Build("x.x.x");
    flow.Start();
    flow.Next();
    EXPECT_EQ(flow.ActivePage(), 2u);
    flow.Next();
    EXPECT_EQ(flow.ActivePage(), 4u);
    TakeCalls();
    flow.Next(); // nothing after the last page
    EXPECT_EQ(flow.ActivePage(), 4u);
    EXPECT_EQ(TakeCalls(), (Calls{"next 4"}));
    flow.Back();
    flow.Back();
    EXPECT_EQ(flow.ActivePage(), 0u);
    TakeCalls();
    flow.Back();
    EXPECT_EQ(flow.ActivePage(), 0u);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(WizardFlowTest, AVetoOnNextKeepsThePage)
{
    Build("xxx");
    flow.Start();
    view.vetoes.insert(0);
    TakeCalls();
    flow.Next();
    EXPECT_EQ(flow.ActivePage(), 0u);
    EXPECT_EQ(TakeCalls(), (Calls{"next 0"}));
    view.vetoes.clear();
    flow.Next();
    EXPECT_EQ(TakeCalls(), (Calls{"next 0", "enter 1", "show 1", "shown 1"}));
}

TEST_F(WizardFlowTest, BackRunsNoNextEvent)
{
    Build("xx");
    flow.Start();
    flow.Next();
    TakeCalls();
    flow.Back();
    EXPECT_EQ(TakeCalls(), (Calls{"enter 0", "show 0", "shown 0"}));
}

TEST_F(WizardFlowTest, DisablingTheActivePageMovesToTheNextEnabledPageOrElseBack)
{
    Build("xxx.x");
    flow.Start();
    flow.Next();
    TakeCalls();
    flow.SetPageEnabled(1, false);
    EXPECT_EQ(flow.ActivePage(), 2u);
    EXPECT_EQ(TakeCalls(), (Calls{"enter 2", "show 2", "shown 2"}));

    flow.Next();
    flow.SetPageEnabled(4, false); // nothing after it: the nearest before
    EXPECT_EQ(flow.ActivePage(), 2u);

    flow.SetPageEnabled(0, false); // not the active page: no move
    EXPECT_EQ(flow.ActivePage(), 2u);
}

TEST_F(WizardFlowTest, DisablingTheOnlyPageKeepsIt)
{
    Build("x");
    flow.Start();
    TakeCalls();
    flow.SetPageEnabled(0, false);
    EXPECT_EQ(flow.ActivePage(), 0u);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(WizardFlowTest, APageThatDisablesItselfWhenEnteredIsNeverShown)
{
    Build("xxx");
    view.onEnter[1] = [this] { flow.SetPageEnabled(1, false); };
    flow.Start();
    TakeCalls();
    flow.Next();
    EXPECT_EQ(flow.ActivePage(), 2u);
    EXPECT_EQ(TakeCalls(), (Calls{"next 0", "enter 1", "enter 2", "show 2", "shown 2"}));
}

TEST_F(WizardFlowTest, ButtonChangesReachTheViewOnlyForTheActivePage)
{
    Build("xx");
    flow.Start();
    TakeCalls();
    flow.SetEnabledButtons(1, wbCancel);
    EXPECT_TRUE(TakeCalls().empty());
    flow.SetEnabledButtons(0, wbNext | wbCancel);
    flow.SetVisibleButtons(0, wbNext | wbCancel);
    EXPECT_EQ(TakeCalls(), (Calls{"buttons", "buttons"}));
    EXPECT_EQ(flow.EnabledButtons(1), wbCancel);
    EXPECT_EQ(flow.VisibleButtons(1), wbBack | wbNext | wbCancel);
}

} // namespace
} // namespace corvalis::ui
