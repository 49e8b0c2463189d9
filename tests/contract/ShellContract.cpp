#include "contract/ServiceEnvironment.h"

namespace corvalis::testing {
namespace {

class ShellContract : public ContractTest {};

TEST_P(ShellContract, TheUsersFoldersExist)
{
    for (SpecialFolder folder : {SpecialFolder::Programs, SpecialFolder::ProgramFiles, SpecialFolder::Personal,
                                 SpecialFolder::AppData, SpecialFolder::LocalAppData, SpecialFolder::CommonDocuments}) {
        const auto path = Services().shell.FolderPath(folder);
        ASSERT_TRUE(path.has_value()) << static_cast<int>(folder);
        EXPECT_TRUE(Services().files.DirectoryExists(*path)) << *path;
    }
}

TEST_P(ShellContract, AShortcutIsWrittenAndReplacedInAnExistingFolder)
{
    const std::string folder = Env().ScratchFolder();
    const std::string link = folder + "\\Corvalis Help.lnk";
    Services().files.WriteFile(folder + "\\CRV.HLP", "help");
    EXPECT_TRUE(Services().shell.CreateShortcut(link, folder + "\\CRV.HLP", ""));
    EXPECT_TRUE(Services().files.FileExists(link));
    EXPECT_TRUE(Services().shell.CreateShortcut(link, folder + "\\CRV.HLP", folder));
    EXPECT_FALSE(Services().shell.CreateShortcut(folder + "\\missing\\x.lnk", folder + "\\CRV.HLP", ""));
}

TEST_P(ShellContract, OpeningSomethingThatDoesNotExistFails)
{
    EXPECT_FALSE(Services().shell.Open(Env().ScratchFolder() + "\\absent.txt"));
}

TEST_P(ShellContract, TheRunningWindowsHasAVersion)
{
    const WindowsVersion version = Services().shell.RunningWindows();
    EXPECT_TRUE(version.platformId == 1 || version.platformId == 2);
    EXPECT_GE(version.major, 4u);
}

} // namespace

CORVALIS_CONTRACT_SUITE(ShellContract);

} // namespace corvalis::testing
