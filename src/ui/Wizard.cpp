#include "ui/Wizard.h"

#include "ui/ProductPicture.h"

namespace corvalis::ui {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kPictureWidth = 164;   // of a welcome page
constexpr int kHeaderHeight = 58;    // of an interior page, with an etched line below
constexpr int kWelcomeTextTop = 108; // a welcome page's controls begin below its title and subtitle
constexpr int kTitlePoints = 12;

void DrawLine(HDC dc, int left, int top, int right)
{
    RECT line = {left, top, right, top + 2};
    ::DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
}

} // namespace

TWizardPage::TWizardPage(TWizard& wizard, size_t index, const std::string& name, TWizardPageKind kind)
    : wizard_(wizard), index_(index), name_(name), kind_(kind)
{
    Create("CorvalisWizardPage", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN, name, wizard.PageBounds(kind),
           wizard.Handle());
    if (kind == pkWelcome)
        SetBackground(kWhite);
}

void TWizardPage::SetTitle(const std::string& title)
{
    title_ = title;
    if (wizard_.ActivePage() == this)
        wizard_.UpdateHeader();
}

void TWizardPage::SetSubtitle(const std::string& subtitle)
{
    subtitle_ = subtitle;
    if (wizard_.ActivePage() == this)
        wizard_.UpdateHeader();
}

bool TWizardPage::Enabled() const
{
    return wizard_.flow_.PageEnabled(index_);
}

void TWizardPage::SetEnabled(bool enabled)
{
    wizard_.flow_.SetPageEnabled(index_, enabled);
}

bool TWizardPage::ButtonVisible(TWizardButton button) const
{
    return wizard_.flow_.VisibleButtons(index_) & button;
}

void TWizardPage::SetButtonVisible(TWizardButton button, bool visible)
{
    const TWizardButtons buttons = wizard_.flow_.VisibleButtons(index_);
    wizard_.flow_.SetVisibleButtons(index_, visible ? buttons | button : buttons & ~button);
}

bool TWizardPage::ButtonEnabled(TWizardButton button) const
{
    return wizard_.flow_.EnabledButtons(index_) & button;
}

void TWizardPage::SetButtonEnabled(TWizardButton button, bool enabled)
{
    const TWizardButtons buttons = wizard_.flow_.EnabledButtons(index_);
    wizard_.flow_.SetEnabledButtons(index_, enabled ? buttons | button : buttons & ~button);
}

TWizard::TWizard(TForm& form) : form_(form)
{
    Create("CorvalisWizard", WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, "",
           {0, 0, form.ClientWidth(), form.ClientHeight()}, form.Handle());
    title_ = CreateControl("STATIC", "", SS_NOPREFIX, {});
    subtitle_ = CreateControl("STATIC", "", SS_NOPREFIX, {});
    SetControlFont(title_, kTitlePoints, fsBold);
    SetControlColors(title_, ::GetSysColor(COLOR_WINDOWTEXT), kWhite);
    SetControlColors(subtitle_, ::GetSysColor(COLOR_WINDOWTEXT), kWhite);
    const auto button = [this](const char* caption, std::function<void()> click) {
        const HWND created = CreateControl("BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON, {});
        OnCommand(created, BN_CLICKED, std::move(click));
        return created;
    };
    buttons_.back = button("< &Back", [this] { flow_.Back(); });
    buttons_.next = button("&Next >", [this] { flow_.Next(); });
    buttons_.finish = button("&Finish", [this] {
        if (TWizardPage* page = ActivePage(); page && page->OnFinishButtonClick)
            page->OnFinishButtonClick();
    });
    buttons_.cancel = button("Cancel", [this] {
        if (OnCancelButtonClick)
            OnCancelButtonClick();
    });
    form_.SetCancelButton(buttons_.cancel);
    ButtonsChanged();
}

TWizardPage& TWizard::AddPage(const std::string& name, TWizardPageKind kind)
{
    const size_t index = flow_.AddPage();
    pages_.push_back(std::unique_ptr<TWizardPage>(new TWizardPage(*this, index, name, kind)));
    return *pages_.back();
}

TWizardPage* TWizard::ActivePage()
{
    const auto active = flow_.ActivePage();
    return active ? pages_[*active].get() : nullptr;
}

void TWizard::Start()
{
    flow_.Start();
}

HWND TWizard::Button(TWizardButton button) const
{
    switch (button) {
    case wbBack: return buttons_.back;
    case wbNext: return buttons_.next;
    case wbFinish: return buttons_.finish;
    case wbCancel: return buttons_.cancel;
    }
    return nullptr;
}

TBounds TWizard::PageBounds(TWizardPageKind kind) const
{
    const int bottom = form_.ClientHeight() - kButtonBarHeight;
    if (kind == pkWelcome)
        return {kPictureWidth, kWelcomeTextTop, form_.ClientWidth() - kPictureWidth, bottom - kWelcomeTextTop};
    return {0, kHeaderHeight + 2, form_.ClientWidth(), bottom - kHeaderHeight - 2};
}

void TWizard::EnterPage(size_t page)
{
    if (pages_[page]->OnEnterPage)
        pages_[page]->OnEnterPage();
}

void TWizard::ShowPage(size_t page)
{
    ::ShowWindow(pages_[page]->Handle(), SW_SHOW);
    for (size_t index = 0; index < pages_.size(); ++index)
        if (index != page)
            ::ShowWindow(pages_[index]->Handle(), SW_HIDE);
    UpdateHeader();
    ButtonsChanged();
    FocusActivePage();
    // Painted before the shown event, which may run long.
    ::UpdateWindow(Handle());
}

void TWizard::PageShown(size_t page)
{
    if (pages_[page]->OnPage)
        pages_[page]->OnPage();
}

void TWizard::NextButtonClick(size_t page, bool& stop)
{
    if (pages_[page]->OnNextButtonClick)
        pages_[page]->OnNextButtonClick(stop);
}

void TWizard::ButtonsChanged()
{
    const auto active = flow_.ActivePage();
    const TWizardButtons visible = active ? flow_.VisibleButtons(*active) : 0;
    const TWizardButtons enabled = active ? flow_.EnabledButtons(*active) : 0;
    for (const TButtonPlacement& placement : LayoutButtonBar(visible, form_.ClientWidth(), form_.ClientHeight()))
        ::MoveWindow(Button(placement.Button), placement.Bounds.Left, placement.Bounds.Top, placement.Bounds.Width,
                     placement.Bounds.Height, TRUE);
    for (const TWizardButton button : {wbBack, wbNext, wbFinish, wbCancel}) {
        ::ShowWindow(Button(button), visible & button ? SW_SHOW : SW_HIDE);
        ::EnableWindow(Button(button), enabled & button ? TRUE : FALSE);
    }
    const auto pressedByEnter = DefaultButton(visible, enabled);
    form_.SetDefaultButton(pressedByEnter ? Button(*pressedByEnter) : nullptr);
    // A button that loses its use must not keep the focus, or the keyboard goes dead.
    const HWND focus = ::GetFocus();
    if (active && focus && ::GetParent(focus) == Handle() && (!::IsWindowVisible(focus) || !::IsWindowEnabled(focus)))
        FocusActivePage();
}

void TWizard::UpdateHeader()
{
    const TWizardPage* page = ActivePage();
    if (!page)
        return;
    const int width = form_.ClientWidth();
    if (page->Kind() == pkWelcome) {
        ::MoveWindow(title_, kPictureWidth + 16, 16, width - kPictureWidth - 32, 44, TRUE);
        ::MoveWindow(subtitle_, kPictureWidth + 16, 64, width - kPictureWidth - 32, 40, TRUE);
    } else {
        ::MoveWindow(title_, 16, 8, width - 32, 20, TRUE);
        ::MoveWindow(subtitle_, 32, 29, width - 48, 27, TRUE);
    }
    SetControlText(title_, page->Title());
    SetControlText(subtitle_, page->Subtitle());
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TWizard::FocusActivePage()
{
    const TWizardPage* page = ActivePage();
    HWND target = ::GetNextDlgTabItem(page->Handle(), nullptr, FALSE);
    if (!target || !::IsChild(page->Handle(), target)) {
        const auto pressedByEnter =
            DefaultButton(flow_.VisibleButtons(page->index_), flow_.EnabledButtons(page->index_));
        target = pressedByEnter ? Button(*pressedByEnter) : page->Handle();
    }
    ::SetFocus(target);
}

void TWizard::Paint(HDC dc)
{
    RECT client;
    ::GetClientRect(Handle(), &client);
    const int barTop = client.bottom - kButtonBarHeight;
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    if (const TWizardPage* page = ActivePage()) {
        win32::ScopedBrush white(::CreateSolidBrush(kWhite));
        if (page->Kind() == pkWelcome) {
            PaintProductPicture(dc, {0, 0, kPictureWidth, barTop});
            const RECT text = {kPictureWidth, 0, client.right, barTop};
            ::FillRect(dc, &text, white.Get());
        } else {
            const RECT header = {0, 0, client.right, kHeaderHeight};
            ::FillRect(dc, &header, white.Get());
            DrawLine(dc, 0, kHeaderHeight, client.right);
        }
    }
    DrawLine(dc, 0, barTop, client.right);
}

std::optional<LRESULT> TWizard::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(Handle(), &paint);
        Paint(dc);
        ::EndPaint(Handle(), &paint);
        return 0;
    }
    }
    return TWindow::HandleMessage(message, wParam, lParam);
}

} // namespace corvalis::ui
