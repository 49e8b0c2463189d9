#include "run/UserAccount.h"

#include "ide/Utils.h"
#include "platform/Shell.h"

namespace corvalis {

std::optional<std::string> AccountWarning(const IShell& shell)
{
    const std::optional<std::string> desktop = shell.DesktopAccount();
    const std::string process = shell.ProcessAccount();
    if (!desktop || process.empty() || SameText(*desktop, process))
        return std::nullopt;
    return "Corvalis Installer runs as the user " + process + ", but this desktop belongs to " + *desktop +
           ".\r\n\r\nThe installer changes the IDE settings of the account it runs as: the IDEs of " + process +
           " would receive the library, not those of " + *desktop + ".";
}

} // namespace corvalis
