#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "ui/portable/ErrorBoxText.h"
#include "ui/portable/WizardFlow.h"

namespace corvalis::ui {

// gtest prints placements through this, found by argument lookup.
void PrintTo(const TButtonPlacement& p, std::ostream* out)
{
    *out << int(p.Button) << " at " << p.Bounds.Left << "," << p.Bounds.Top << " " << p.Bounds.Width << "x"
         << p.Bounds.Height;
}

namespace {

using ::testing::ElementsAre;
constexpr std::optional<size_t> kNone = std::nullopt;

// Pages as a pattern: 'x' takes part, '.' is disabled.
std::vector<bool> Pages(const std::string& pattern)
{
    std::vector<bool> enabled;
    for (const char page : pattern)
        enabled.push_back(page == 'x');
    return enabled;
}

// Pages, from, next, previous, and the page replacing `from` when it is disabled while active.
TEST(WizardNavigation, SkipsDisabledPagesBothWays)
{
    const std::tuple<const char*, size_t, std::optional<size_t>, std::optional<size_t>, std::optional<size_t>> cases[] =
        {{"xxxx", 0, 1, kNone, 1},
         {"xxxx", 3, kNone, 2, 2},
         {"x..x", 0, 3, kNone, 3},
         {"x..x", 3, kNone, 0, 0},
         {"x.x.x", 2, 4, 0, 4},
         {".xx.", 1, 2, kNone, 2},
         {"xx..", 1, kNone, 0, 0},
         {"x...", 0, kNone, kNone, kNone},
         {"....", 1, kNone, kNone, kNone},
         {"x.x", 1, 2, 0, 2}};
    for (const auto& [pages, from, next, previous, replacing] : cases) {
        SCOPED_TRACE(std::string(pages) + " from " + std::to_string(from));
        EXPECT_EQ(NextEnabledPage(Pages(pages), from), next);
        EXPECT_EQ(PreviousEnabledPage(Pages(pages), from), previous);
        EXPECT_EQ(PageReplacingDisabled(Pages(pages), from), replacing);
    }
}

TEST(WizardButtons, EnterPressesNextOrFinishWhenUsableAndTheBarIsPlacedFromTheRight)
{
    EXPECT_EQ(DefaultButton(wbBack | wbNext | wbCancel, wbAllButtons), wbNext);
    EXPECT_EQ(DefaultButton(wbBack | wbFinish, wbAllButtons), wbFinish);
    EXPECT_EQ(DefaultButton(wbNext | wbCancel, wbCancel), std::nullopt); // the compile page at start
    EXPECT_EQ(DefaultButton(wbNext | wbFinish, wbFinish), wbFinish);
    EXPECT_EQ(DefaultButton(wbBack | wbCancel, wbAllButtons), std::nullopt);

    // Back joins Next, Cancel stands apart.
    EXPECT_THAT(LayoutButtonBar(wbBack | wbNext | wbCancel, 598, 456),
                ElementsAre(TButtonPlacement{wbBack, {355, 423, 75, 23}}, TButtonPlacement{wbNext, {430, 423, 75, 23}},
                            TButtonPlacement{wbCancel, {515, 423, 75, 23}}));
    EXPECT_THAT(LayoutButtonBar(wbFinish, 598, 456), ElementsAre(TButtonPlacement{wbFinish, {515, 423, 75, 23}}));
    EXPECT_TRUE(LayoutButtonBar(0, 598, 456).empty());
}

// '?' is above '.'.
TEST(ErrorBoxText, AddsAFullStopUnlessTheTextEndsInOneOrBelow)
{
    const std::pair<std::string, std::string> cases[] = {{"Invalid package.", "Invalid package."},
                                                         {"Error.\rAccess denied", "Error.\rAccess denied."},
                                                         {"Blank ", "Blank "},
                                                         {"Line feed\n", "Line feed\n"},
                                                         {"Asks?", "Asks?."},
                                                         {"Comma,", "Comma,"},
                                                         {"", "."}};
    for (const auto& [message, expected] : cases)
        EXPECT_EQ(ErrorBoxText(message), expected) << message;
}

} // namespace
} // namespace corvalis::ui
