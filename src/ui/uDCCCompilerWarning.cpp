#include "ui/uDCCCompilerWarning.h"

#include "core/Product.h"
#include "platform/Shell.h"

namespace corvalis::ui {
namespace {

// The warning names the IDE between these two.
constexpr const char* kWarningStart = "The installer has detected that your ";
constexpr const char* kWarningEnd = " doesn't have the Delphi command-line compiler (dcc32.exe) which is "
                                    "required in order to compile third-party connectivity packages.";

} // namespace

TfDCCCompilerWarning::TfDCCCompilerWarning(HWND owner, IShell& shell)
    : TForm("Warning", 431, 259, "Tahoma", 8, fkDialog, owner), shell_(shell)
{
    constexpr int kLeft = 8;
    constexpr int kWidth = 415;
    lblWarning = CreateControl("STATIC", (kWarningStart + std::string("%s") + kWarningEnd).c_str(), SS_NOPREFIX,
                               {kLeft, 8, kWidth, 42});
    CreateControl("STATIC",
                  "You may select not to compile these packages during the installation procedure and compile them "
                  "later from the IDE. Or you may download this compiler being a registered user of Professional "
                  "Edition from the following location:",
                  SS_NOPREFIX, {kLeft, 56, kWidth, 42});
    lblLink = CreateLink(CompilerDownloadPage, {kLeft, 102, kWidth, 14}, [this] { lblLinkClick(); });
    CreateControl("STATIC",
                  "Press the \"Retry\" button if you already have downloaded and placed the command-line compiler in "
                  "your Delphi/Bin directory.",
                  SS_NOPREFIX, {kLeft, 126, kWidth, 28});
    CreateControl("STATIC",
                  "Press the \"Continue Anyway\" button to install Corvalis without third-party connectivity packages.",
                  SS_NOPREFIX, {kLeft, 158, kWidth, 28});
    CreateControl("STATIC", "Press the \"Exit\" button to quit the installer.", SS_NOPREFIX, {kLeft, 190, kWidth, 14});

    constexpr int kTop = 259 - 8 - 25;
    bRetry = CreateButton("&Retry", {156, kTop, 75, 25}, mrRetry);
    bContinue = CreateButton("Continue Anyway", {237, kTop, 105, 25}, mrIgnore);
    bCancel = CreateButton("Exit", {348, kTop, 75, 25}, mrCancel);
    SetDefaultButton(bContinue);
    SetCancelButton(bRetry);
}

void TfDCCCompilerWarning::FormatWarning(const std::string& displayName)
{
    std::string text = kWarningStart;
    text.append(displayName).append(kWarningEnd);
    ::SetWindowTextA(lblWarning, text.c_str());
}

void TfDCCCompilerWarning::lblLinkClick()
{
    shell_.Open(WindowText(lblLink));
}

} // namespace corvalis::ui
