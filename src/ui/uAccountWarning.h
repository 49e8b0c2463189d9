#pragma once

namespace corvalis {
class IShell;
}

namespace corvalis::ui {

// Asks, before anything changes, whether to go on when the installer runs as another user
// than the owner of the desktop; true when it goes on (also when there is nothing to ask).
bool ConfirmAccount(const IShell& shell);

} // namespace corvalis::ui
