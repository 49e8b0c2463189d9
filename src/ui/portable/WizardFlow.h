#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "ui/portable/Bounds.h"

namespace corvalis::ui {

// The buttons of the wizard's button bar, combined as a set.
enum TWizardButton : uint8_t { wbBack = 1, wbNext = 2, wbFinish = 4, wbCancel = 8 };
using TWizardButtons = uint8_t;
constexpr TWizardButtons wbAllButtons = wbBack | wbNext | wbFinish | wbCancel;

// A welcome page has a picture at its left and no header; an interior page has a header.
enum TWizardPageKind : uint8_t { pkWelcome, pkInterior };

// The nearest page after (before) `from` whose enabled flag is set; none when there is none.
std::optional<size_t> NextEnabledPage(const std::vector<bool>& enabled, size_t from);
std::optional<size_t> PreviousEnabledPage(const std::vector<bool>& enabled, size_t from);
// Where the wizard goes when its page `current` is disabled: the next enabled page after it
// or, when there is none, the nearest enabled page before it.
std::optional<size_t> PageReplacingDisabled(const std::vector<bool>& enabled, size_t current);

// The button that Enter presses: Next when it is visible and enabled, else Finish when it is.
std::optional<TWizardButton> DefaultButton(TWizardButtons visible, TWizardButtons enabled);

constexpr int kButtonBarHeight = 42;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

struct TButtonPlacement {
    TWizardButton Button;
    TBounds Bounds;
    friend bool operator==(const TButtonPlacement&, const TButtonPlacement&) = default;
};

// The visible buttons in a bar at the bottom of a window of this client size, packed from
// the right: Back joined to the button after it, Cancel set apart. Left to right.
std::vector<TButtonPlacement> LayoutButtonBar(TWizardButtons visible, int clientWidth, int clientHeight);

// The page sequence of a wizard: which page is active, which pages take part, the buttons of
// each page, and the order in which a page change runs the page's events. The window that
// shows the wizard implements IView.
class TWizardFlow {
public:
    class IView {
    public:
        virtual void EnterPage(size_t page) = 0; // the page's entered event, before it is shown
        virtual void ShowPage(size_t page) = 0;  // visible with the focus, the others hidden
        virtual void PageShown(size_t page) = 0; // the page's shown event
        virtual void NextButtonClick(size_t page, bool& stop) = 0;
        virtual void ButtonsChanged() = 0; // the active page's button sets changed

    protected:
        ~IView() = default;
    };

    explicit TWizardFlow(IView& view) : view_(view) {}

    // A page taking part, with Back, Next and Cancel visible and every button enabled.
    size_t AddPage();
    size_t PageCount() const { return pages_.size(); }
    // None until Start.
    std::optional<size_t> ActivePage() const { return active_; }

    bool PageEnabled(size_t page) const { return pages_.at(page).enabled; }
    void SetPageEnabled(size_t page, bool enabled);
    TWizardButtons VisibleButtons(size_t page) const { return pages_.at(page).visible; }
    TWizardButtons EnabledButtons(size_t page) const { return pages_.at(page).enabledButtons; }
    void SetVisibleButtons(size_t page, TWizardButtons buttons);
    void SetEnabledButtons(size_t page, TWizardButtons buttons);

    // Activates the first page that takes part.
    void Start();
    // The moves of the Next and Back buttons.
    void Next();
    void Back();

private:
    struct Page {
        bool enabled = true;
        TWizardButtons visible = wbBack | wbNext | wbCancel;
        TWizardButtons enabledButtons = wbAllButtons;
    };

    std::vector<bool> EnabledFlags() const;
    void MoveTo(size_t page);
    void NotifyButtons(size_t page);

    IView& view_;
    std::vector<Page> pages_;
    std::optional<size_t> active_;
    // Counts page changes, so that a change started by a page's own event ends the one
    // that ran the event.
    uint64_t moves_ = 0;
};

} // namespace corvalis::ui
