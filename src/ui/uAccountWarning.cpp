#include "ui/uAccountWarning.h"

#include "run/UserAccount.h"
#include "ui/Application.h"

namespace corvalis::ui {

bool ConfirmAccount(const IShell& shell)
{
    const std::optional<std::string> warning = AccountWarning(shell);
    return !warning || ShowMessageBox(nullptr, *warning + "\r\n\r\nDo you want to continue?",
                                      MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

} // namespace corvalis::ui
