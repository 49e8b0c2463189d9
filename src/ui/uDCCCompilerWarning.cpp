#include "ui/uDCCCompilerWarning.h"

#include "core/Product.h"
#include "platform/Shell.h"
#include "ui/LabelColumn.h"

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
    const auto text = [this](const char* text) { return CreateControl("STATIC", text, SS_NOPREFIX, {}); };
    lblWarning = text((kWarningStart + std::string("%s") + kWarningEnd).c_str());
    texts_[0] = text("You may select not to compile these packages during the installation procedure and compile them "
                     "later from the IDE. Or you may download this compiler being a registered user of Professional "
                     "Edition from the following location:");
    lblLink = CreateLink(CompilerDownloadPage, {}, [this] { lblLinkClick(); });
    texts_[1] = text("Press the \"Retry\" button if you already have downloaded and placed the command-line compiler "
                     "in your Delphi/Bin directory.");
    texts_[2] =
        text("Press the \"Continue Anyway\" button to install Corvalis without third-party connectivity packages.");
    texts_[3] = text("Press the \"Exit\" button to quit the installer.");
    LayOutTexts();

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
    SetControlText(lblWarning, text);
    LayOutTexts();
}

// The warning's height changes with the IDE's name; the texts below it move with it.
void TfDCCCompilerWarning::LayOutTexts()
{
    const struct {
        HWND label;
        int gap;
        int minHeight;
    } column[] = {{lblWarning, 8, 42}, {texts_[0], 6, 42}, {lblLink, 4, 14},
                  {texts_[1], 10, 28}, {texts_[2], 4, 28}, {texts_[3], 4, 14}};
    TLabelColumn texts(*this, 8, 0, 415);
    for (const auto& [label, gap, minHeight] : column)
        texts.Fit(label, gap, minHeight);
}

void TfDCCCompilerWarning::lblLinkClick()
{
    shell_.Open(WindowText(lblLink));
}

} // namespace corvalis::ui
