#pragma once

#include <array>

#include "ui/Form.h"

namespace corvalis {
class IShell;
}

namespace corvalis::ui {

// Shown when a chosen Turbo edition has no command-line compiler: Retry (mrRetry, also Esc),
// Continue Anyway (mrIgnore, the default button, focused) or Exit (mrCancel, also the close box).
class TfDCCCompilerWarning : public TForm {
public:
    TfDCCCompilerWarning(HWND owner, IShell& shell);

    // Puts the IDE's display name into the warning text.
    void FormatWarning(const std::string& displayName);
    void lblLinkClick();

    HWND lblWarning;
    HWND lblLink;
    HWND bRetry;
    HWND bContinue;
    HWND bCancel;

private:
    void LayOutTexts();

    IShell& shell_;
    std::array<HWND, 4> texts_{}; // the texts but the warning and the link, top down
};

} // namespace corvalis::ui
