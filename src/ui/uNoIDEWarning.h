#pragma once

#include "ui/Form.h"

namespace corvalis::ui {

// Shown at start-up when a fresh installation finds no IDE. "Continue with the installation"
// (mrCancel, also Esc and the close box) goes on; "Exit Setup" (mrOk, the default button)
// ends the installer.
class TfNoIDEWarning : public TForm {
public:
    // The version text is the package version's display text.
    explicit TfNoIDEWarning(const std::string& versionText);

    HWND lVersion;
    HWND BitBtn2;
    HWND bExit;

protected:
    std::optional<LRESULT> HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

} // namespace corvalis::ui
