#pragma once

#include <optional>
#include <string>

namespace corvalis {

class IShell;

// The warning for an installer that runs under another account than the owner of the
// desktop it is shown on (elevated with an administrator's credentials from a standard
// account): it would change the IDE settings of the account it runs as. Nothing when the
// accounts are the same or there is no interactive desktop.
std::optional<std::string> AccountWarning(const IShell& shell);

} // namespace corvalis
