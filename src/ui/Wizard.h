#pragma once

#include "ui/Window.h"

#include <memory>
#include <vector>

#include "ui/Form.h"
#include "ui/portable/WizardFlow.h"

namespace corvalis::ui {

class TWizard;

// One page of the wizard: a window that holds the page's controls, laid out in code in its
// own client coordinates. An interior page lies below the header, 598 × 354 in the main
// window; a welcome page right of the picture, below its title and subtitle, 434 × 306.
class TWizardPage : public TWindow {
public:
    const std::string& Name() const { return name_; }
    TWizardPageKind Kind() const { return kind_; }

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);
    const std::string& Subtitle() const { return subtitle_; }
    void SetSubtitle(const std::string& subtitle);

    // Whether the page takes part in navigation. Disabling the active page moves the wizard on.
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool ButtonVisible(TWizardButton button) const;
    void SetButtonVisible(TWizardButton button, bool visible);
    bool ButtonEnabled(TWizardButton button) const;
    void SetButtonEnabled(TWizardButton button, bool enabled);

    // Entered: the page is about to be shown.
    std::function<void()> OnEnterPage;
    // Shown: the page is visible and has the focus.
    std::function<void()> OnPage;
    // Next pressed: setting stop keeps the page.
    std::function<void(bool& stop)> OnNextButtonClick;
    std::function<void()> OnFinishButtonClick;

private:
    friend class TWizard;
    TWizardPage(TWizard& wizard, size_t index, const std::string& name, TWizardPageKind kind);

    TWizard& wizard_;
    size_t index_;
    std::string name_;
    TWizardPageKind kind_;
    std::string title_;
    std::string subtitle_;
};

// The page sequence of a window: pages in a fixed order, a header (interior pages) or a
// picture (welcome pages), and a button bar of Back, Next, Finish and Cancel. It fills the
// client area of its form, and tells the form which of its buttons Enter and Esc press.
class TWizard : public TWindow, private TWizardFlow::IView {
public:
    explicit TWizard(TForm& form);

    // A page after the others, taking part, with Back, Next and Cancel visible, all enabled.
    TWizardPage& AddPage(const std::string& name, TWizardPageKind kind);
    size_t PageCount() const { return pages_.size(); }
    TWizardPage& Page(size_t index) { return *pages_.at(index); }
    // None before Start.
    TWizardPage* ActivePage();
    // Shows the first page that takes part; call it when the form is visible.
    void Start();

    HWND Button(TWizardButton button) const;

    // Cancel pressed, on any page.
    std::function<void()> OnCancelButtonClick;

protected:
    std::optional<LRESULT> HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class TWizardPage;

    void EnterPage(size_t page) override;
    void ShowPage(size_t page) override;
    void PageShown(size_t page) override;
    void NextButtonClick(size_t page, bool& stop) override;
    void ButtonsChanged() override;

    TBounds PageBounds(TWizardPageKind kind) const;
    void UpdateHeader();
    void FocusActivePage();
    void Paint(HDC dc);

    TForm& form_;
    TWizardFlow flow_{*this};
    std::vector<std::unique_ptr<TWizardPage>> pages_;
    HWND title_ = nullptr;
    HWND subtitle_ = nullptr;
    struct Buttons {
        HWND back;
        HWND next;
        HWND finish;
        HWND cancel;
    } buttons_{};
};

} // namespace corvalis::ui
