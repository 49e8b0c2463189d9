#include <gtest/gtest.h>

#include "core/UserAccount.h"
#include "platform/memory/MemoryPlatform.h"

namespace corvalis {
namespace {

TEST(AccountWarning, NamesBothAccountsOnlyWhenTheDesktopBelongsToAnother)
{
    MemoryPlatform machine;
    EXPECT_EQ(AccountWarning(machine.shell), std::nullopt);
    machine.shell.SetAccounts("PC\\Admin", "pc\\ADMIN");
    EXPECT_EQ(AccountWarning(machine.shell), std::nullopt);
    machine.shell.SetAccounts("PC\\Admin", std::nullopt);
    EXPECT_EQ(AccountWarning(machine.shell), std::nullopt) << "a service or a build agent has no desktop shell";

    machine.shell.SetAccounts("PC\\Admin", "PC\\Developer");
    EXPECT_EQ(AccountWarning(machine.shell),
              "Corvalis Installer runs as the user PC\\Admin, but this desktop belongs to PC\\Developer.\r\n\r\n"
              "The installer changes the IDE settings of the account it runs as: the IDEs of PC\\Admin would "
              "receive the library, not those of PC\\Developer.");
}

} // namespace
} // namespace corvalis
