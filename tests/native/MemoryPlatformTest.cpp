#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/memory/MemoryPlatform.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;

// What the in-memory services do beyond the contract they share with Windows.

TEST(MemoryRegistryTest, ValuesEnumerateInCreationOrderAsOnWindows)
{
    MemoryRegistry registry;
    auto key = registry.OpenKey(RootKey::CurrentUser, "Software\\Borland\\Delphi\\7.0\\Known Packages",
                                KeyAccess::WriteCreate);
    key->WriteString("$(DELPHI)\\Bin\\dclusr70.bpl", "Borland User Components");
    key->WriteString("$(DELPHI)\\Bin\\dclado70.bpl", "Borland ADO DB Components");
    key->WriteString("$(DELPHI)\\Bin\\dcldb70.bpl", "Borland Database Components");
    EXPECT_THAT(key->ValueNames(), ElementsAre("$(DELPHI)\\Bin\\dclusr70.bpl", "$(DELPHI)\\Bin\\dclado70.bpl",
                                               "$(DELPHI)\\Bin\\dcldb70.bpl"));
}

TEST(MemoryRegistryTest, AReadOnlyRootRefusesNewKeysAndWrites)
{
    MemoryRegistry registry;
    registry.OpenKey(RootKey::LocalMachine, "Software\\Halvorn", KeyAccess::WriteCreate);
    registry.SetReadOnly(RootKey::LocalMachine, true);
    EXPECT_EQ(registry.OpenKey(RootKey::LocalMachine, "Software\\Halvorn\\Corvalis", KeyAccess::WriteCreate), nullptr);
    EXPECT_EQ(registry.OpenKey(RootKey::LocalMachine, "Software\\Halvorn", KeyAccess::Write), nullptr);
    EXPECT_NE(registry.OpenKey(RootKey::LocalMachine, "Software\\Halvorn", KeyAccess::Read), nullptr);
    EXPECT_FALSE(registry.DeleteKey(RootKey::LocalMachine, "Software\\Halvorn"));
}

TEST(MemoryRegistryTest, AKeyDeletedWhileOpenTakesNoMoreValues)
{
    MemoryRegistry registry;
    auto key = registry.OpenKey(RootKey::CurrentUser, "Software\\X", KeyAccess::WriteCreate);
    registry.DeleteKey(RootKey::CurrentUser, "Software\\X");
    EXPECT_THROW(key->WriteString("a", "b"), std::exception);
}

TEST(MemoryFilesTest, AFileInUseCanBeMovedButNotDeletedOrOverwritten)
{
    MemoryFiles files;
    files.AddFile("C:\\Corvalis\\Uninstall\\setup.exe", "running");
    files.SetInUse("C:\\Corvalis\\Uninstall\\setup.exe", true);
    EXPECT_FALSE(files.DeleteFile("C:\\Corvalis\\Uninstall\\setup.exe"));
    EXPECT_EQ(files.LastError(), 5u);
    EXPECT_FALSE(files.Recycle("C:\\Corvalis\\Uninstall"));
    EXPECT_FALSE(files.WriteFile("C:\\Corvalis\\Uninstall\\setup.exe", "new"));
    EXPECT_TRUE(files.MoveFile("C:\\Corvalis\\Uninstall\\setup.exe", files.TempDirectory() + "\\setup.exe"));
    EXPECT_TRUE(files.Recycle("C:\\Corvalis\\Uninstall"));
    EXPECT_THAT(files.Recycled(), ElementsAre("C:\\Corvalis\\Uninstall"));
}

TEST(MemoryFilesTest, DeleteTreeKeepsWhatIsInUse)
{
    MemoryFiles files;
    files.AddFile("C:\\Corvalis\\Delphi7\\CorvalisD7.bpl");
    files.AddFile("C:\\Corvalis\\Help\\CRV.HLP");
    files.SetInUse("C:\\Corvalis\\Delphi7\\CorvalisD7.bpl", true);
    EXPECT_FALSE(files.DeleteTree("C:\\Corvalis"));
    EXPECT_TRUE(files.FileExists("C:\\Corvalis\\Delphi7\\CorvalisD7.bpl"));
    EXPECT_FALSE(files.DirectoryExists("C:\\Corvalis\\Help"));
}

TEST(MemoryFilesTest, HiddenFoldersAreMarkedInTheEnumeration)
{
    MemoryFiles files;
    files.ForceDirectories("C:\\Programs\\Hidden");
    files.ForceDirectories("C:\\Programs\\Visible");
    files.SetHidden("C:\\Programs\\Hidden", true);
    const auto entries = files.Enumerate("C:\\Programs");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].hidden);
    EXPECT_FALSE(entries[1].hidden);
}

TEST(MemoryShellTest, ShortcutsAreRecordedWithTargetAndFolder)
{
    MemoryFiles files;
    MemoryShell shell(files);
    const std::string group = *shell.FolderPath(SpecialFolder::Programs) + "\\Halvorn";
    files.CreateDirectory(group);
    ASSERT_TRUE(shell.CreateShortcut(group + "\\Corvalis Help.lnk", "C:\\Corvalis\\Help\\CRV.HLP", ""));
    ASSERT_TRUE(shell.CreateShortcut(group + "\\Corvalis Help.lnk", "C:\\Corvalis\\Help\\CRV.HLP", "C:\\W"));
    ASSERT_EQ(shell.Shortcuts().size(), 1u);
    EXPECT_EQ(shell.Shortcuts()[0].workingFolder, "C:\\W");
    EXPECT_TRUE(files.FileExists(group + "\\Corvalis Help.lnk"));
}

} // namespace
} // namespace corvalis
