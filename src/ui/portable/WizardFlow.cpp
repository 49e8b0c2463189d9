#include "ui/portable/WizardFlow.h"

#include <algorithm>

namespace corvalis::ui {

std::optional<size_t> NextEnabledPage(const std::vector<bool>& enabled, size_t from)
{
    for (size_t page = from + 1; page < enabled.size(); ++page)
        if (enabled[page])
            return page;
    return std::nullopt;
}

std::optional<size_t> PreviousEnabledPage(const std::vector<bool>& enabled, size_t from)
{
    for (size_t page = std::min(from, enabled.size()); page-- > 0;)
        if (enabled[page])
            return page;
    return std::nullopt;
}

std::optional<size_t> PageReplacingDisabled(const std::vector<bool>& enabled, size_t current)
{
    if (const auto next = NextEnabledPage(enabled, current))
        return next;
    return PreviousEnabledPage(enabled, current);
}

std::optional<TWizardButton> DefaultButton(TWizardButtons visible, TWizardButtons enabled)
{
    for (const TWizardButton button : {wbNext, wbFinish})
        if (visible & enabled & button)
            return button;
    return std::nullopt;
}

std::vector<TButtonPlacement> LayoutButtonBar(TWizardButtons visible, int clientWidth, int clientHeight)
{
    constexpr int kMargin = 8;     // from the window's right edge
    constexpr int kSpacing = 6;    // between Next and Finish
    constexpr int kCancelGap = 10; // sets Cancel apart from the moving buttons
    const int top = clientHeight - kButtonBarHeight + (kButtonBarHeight - kButtonHeight) / 2;

    std::vector<TButtonPlacement> placements;
    int right = clientWidth - kMargin;
    for (const TWizardButton button : {wbCancel, wbFinish, wbNext, wbBack}) {
        if (!(visible & button))
            continue;
        if (!placements.empty()) {
            const TWizardButton neighbour = placements.front().Button;
            right -= neighbour == wbCancel ? kCancelGap : button == wbBack ? 0 : kSpacing;
        }
        placements.insert(placements.begin(), {button, {right - kButtonWidth, top, kButtonWidth, kButtonHeight}});
        right -= kButtonWidth;
    }
    return placements;
}

size_t TWizardFlow::AddPage()
{
    pages_.push_back({});
    return pages_.size() - 1;
}

std::vector<bool> TWizardFlow::EnabledFlags() const
{
    std::vector<bool> flags;
    flags.reserve(pages_.size());
    for (const Page& page : pages_)
        flags.push_back(page.enabled);
    return flags;
}

void TWizardFlow::SetPageEnabled(size_t page, bool enabled)
{
    pages_.at(page).enabled = enabled;
    if (enabled || active_ != page)
        return;
    if (const auto replacement = PageReplacingDisabled(EnabledFlags(), page))
        MoveTo(*replacement);
}

void TWizardFlow::SetVisibleButtons(size_t page, TWizardButtons buttons)
{
    pages_.at(page).visible = buttons;
    NotifyButtons(page);
}

void TWizardFlow::SetEnabledButtons(size_t page, TWizardButtons buttons)
{
    pages_.at(page).enabledButtons = buttons;
    NotifyButtons(page);
}

void TWizardFlow::NotifyButtons(size_t page)
{
    if (active_ == page)
        view_.ButtonsChanged();
}

void TWizardFlow::Start()
{
    if (pages_.empty())
        return;
    if (pages_.front().enabled)
        MoveTo(0);
    else if (const auto first = NextEnabledPage(EnabledFlags(), 0))
        MoveTo(*first);
}

void TWizardFlow::Next()
{
    if (!active_)
        return;
    const size_t page = *active_;
    const uint64_t move = moves_;
    bool stop = false;
    view_.NextButtonClick(page, stop);
    if (stop || move != moves_)
        return;
    if (const auto next = NextEnabledPage(EnabledFlags(), page))
        MoveTo(*next);
}

void TWizardFlow::Back()
{
    if (!active_)
        return;
    if (const auto previous = PreviousEnabledPage(EnabledFlags(), *active_))
        MoveTo(*previous);
}

void TWizardFlow::MoveTo(size_t page)
{
    const uint64_t move = ++moves_;
    active_ = page;
    view_.EnterPage(page);
    if (move != moves_)
        return;
    view_.ShowPage(page);
    if (move != moves_)
        return;
    view_.PageShown(page);
}

} // namespace corvalis::ui
