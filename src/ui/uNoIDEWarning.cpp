#include "ui/uNoIDEWarning.h"

#include <algorithm>

#include "core/Product.h"
#include "ui/LabelColumn.h"
#include "ui/ProductPicture.h"

namespace corvalis::ui {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kTeal = RGB(0, 128, 128);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr int kWidth = 752;
constexpr int kHeight = 513;
constexpr int kPanelBottom = 465; // the white panels; the buttons lie below on the face colour
constexpr int kPictureRight = 212;
constexpr RECT kHeading = {232, 20, kWidth - 20, 50}; // the teal bar, the heading's text inset in it
constexpr int kTextLeft = 280;

constexpr const char* kMainText =
    "Corvalis installation package has detected none of supported development environments, such as Borland "
    "Delphi, C++ Builder, Borland/Codegear RAD Development Studio or Turbo Delphi/C++ Builder, are installed on "
    "this PC.\r\n \r\nIf you feel this is wrong, please try to re-install your development environment. Also you may "
    "continue with the installation to copy all necessary files to your hard drive. You will be able to compile and "
    "install Corvalis packages later by hand.\r\n \r\nPlease check at the download page if you use the latest "
    "version of Corvalis and your development environment is supported by it.";

} // namespace

// Start-up shows it before any other window: it has no owner.
TfNoIDEWarning::TfNoIDEWarning(const std::string& versionText)
    : TForm("Corvalis Installer", kWidth, kHeight, "MS Sans Serif", 8, fkDialog)
{
    const HWND heading = CreateControl(
        "STATIC", "Thank you for your interest to our products!", SS_NOPREFIX | SS_CENTERIMAGE,
        {kHeading.left + 8, kHeading.top, kHeading.right - kHeading.left - 16, kHeading.bottom - kHeading.top});
    SetControlFont(heading, 10, fsBold);
    SetControlColors(heading, kWhite, kTeal);

    const HWND icon = CreateControl("STATIC", "", SS_ICON, {236, 68, 32, 32});
    ::SendMessageW(icon, STM_SETICON,
                   reinterpret_cast<WPARAM>(::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_INFORMATION))), 0);
    SetControlColors(icon, ::GetSysColor(COLOR_WINDOWTEXT), kWhite);

    TLabelColumn column(*this, kTextLeft, 0, kWidth - kTextLeft - 24);
    const HWND text = CreateControl("STATIC", kMainText, SS_NOPREFIX, {});
    SetControlFont(text, 10, 0);
    column.Fit(text, 68, 250);
    SetControlColors(text, ::GetSysColor(COLOR_WINDOWTEXT), kWhite);

    // The address follows its caption on the line, wherever the caption's font ends it.
    const TBounds line = column.Place(16, 16);
    const HWND downloadLabel = CreateControl("STATIC", "Download page:", SS_NOPREFIX, line);
    const int captionWidth = TextExtent(downloadLabel, "Download page:").cx + 4;
    ::MoveWindow(downloadLabel, line.Left, line.Top, captionWidth, line.Height, FALSE);
    SetControlColors(downloadLabel, ::GetSysColor(COLOR_WINDOWTEXT), kWhite);
    const HWND address = CreateControl("STATIC", ProductDownloadPage, SS_NOPREFIX,
                                       {line.Left + captionWidth, line.Top, line.Width - captionWidth, line.Height});
    SetControlFont(address, 8, fsBold | fsUnderline);
    SetControlColors(address, kRed, kWhite);

    const HWND signature = column.Label("Sincerely,\r\nHalvorn Team", 50, 32, SS_NOPREFIX | SS_RIGHT);
    SetControlColors(signature, ::GetSysColor(COLOR_WINDOWTEXT), kWhite);

    constexpr int kButtonTop = kHeight - 10 - 25;
    lVersion = CreateControl("STATIC", versionText, SS_NOPREFIX, {12, kButtonTop + 5, 300, 16});
    SetControlFont(lVersion, 8, fsBold);
    const char* const continueCaption = "Continue with the installation";
    BitBtn2 = CreateButton(continueCaption, {}, mrCancel);
    const int continueWidth = std::max<int>(180, TextExtent(BitBtn2, continueCaption).cx + 16);
    ::MoveWindow(BitBtn2, kWidth - 8 - 100 - 6 - continueWidth, kButtonTop, continueWidth, 25, FALSE);
    bExit = CreateButton("Exit Setup", {kWidth - 8 - 100, kButtonTop, 100, 25}, mrOk);
    SetDefaultButton(bExit);
    SetCancelButton(BitBtn2);
}

// The two white panels, the teal bar and the picture are the window's background; the labels
// lie on it.
std::optional<LRESULT> TfNoIDEWarning::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_ERASEBKGND)
        return TForm::HandleMessage(message, wParam, lParam);
    const auto dc = reinterpret_cast<HDC>(wParam);
    const RECT face = {0, 0, kWidth, kHeight};
    ::FillRect(dc, &face, ::GetSysColorBrush(COLOR_BTNFACE));
    win32::ScopedBrush white(::CreateSolidBrush(kWhite));
    const RECT left = {8, 8, kPictureRight, kPanelBottom};
    const RECT right = {kPictureRight + 8, 8, kWidth - 8, kPanelBottom};
    ::FillRect(dc, &left, white.Get());
    ::FillRect(dc, &right, white.Get());
    win32::ScopedBrush teal(::CreateSolidBrush(kTeal));
    ::FillRect(dc, &kHeading, teal.Get());
    PaintProductPicture(dc, {left.left + 12, left.top + 12, left.right - 12, left.bottom - 12});
    return 1;
}

} // namespace corvalis::ui
