#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/memory/MemoryPlatform.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;

// What the in-memory services do beyond the contract they share with Windows.

TEST(MemoryRegistryTest, ValuesEnumerateInCreationOrderAndAReadOnlyRootRefusesChanges)
{
    MemoryRegistry registry;
    auto key = registry.OpenKey(RootKey::LocalMachine, "Software\\Halvorn", KeyAccess::WriteCreate);
    for (const char* name : {"dclusr70.bpl", "dclado70.bpl", "dcldb70.bpl"})
        key->WriteString(name, "");
    EXPECT_THAT(key->ValueNames(), ElementsAre("dclusr70.bpl", "dclado70.bpl", "dcldb70.bpl"));
    registry.SetLocked(RootKey::LocalMachine, "");
    EXPECT_EQ(registry.OpenKey(RootKey::LocalMachine, "Software\\Halvorn\\Corvalis", KeyAccess::WriteCreate), nullptr);
    EXPECT_EQ(registry.OpenKey(RootKey::LocalMachine, "Software\\Halvorn", KeyAccess::Write), nullptr);
    EXPECT_NE(registry.OpenKey(RootKey::LocalMachine, "Software\\Halvorn", KeyAccess::Read), nullptr);
    EXPECT_FALSE(registry.DeleteKey(RootKey::LocalMachine, "Software\\Halvorn"));
    // A key deleted while open takes no more values.
    auto open = registry.OpenKey(RootKey::CurrentUser, "Software\\X", KeyAccess::WriteCreate);
    registry.DeleteKey(RootKey::CurrentUser, "Software\\X");
    EXPECT_THROW(open->WriteString("a", "b"), std::exception);
}

TEST(MemoryFilesTest, AFileInUseCanBeMovedButNotDeletedOrOverwritten)
{
    MemoryFiles files;
    const std::string setup = "C:\\Corvalis\\Uninstall\\setup.exe";
    files.AddFile(setup, "running");
    files.AddFile("C:\\Corvalis\\Help\\CRV.HLP");
    files.SetInUse(setup, true);
    EXPECT_FALSE(files.DeleteFile(setup));
    EXPECT_EQ(files.LastError(), 5u);
    EXPECT_FALSE(files.WriteFile(setup, "new") || files.Recycle("C:\\Corvalis\\Uninstall"));
    EXPECT_FALSE(files.DeleteTree("C:\\Corvalis"));
    EXPECT_TRUE(files.FileExists(setup) && !files.DirectoryExists("C:\\Corvalis\\Help"));
    EXPECT_TRUE(files.MoveFile(setup, files.TempDirectory() + "\\setup.exe"));
    EXPECT_TRUE(files.Recycle("C:\\Corvalis\\Uninstall"));
    EXPECT_THAT(files.Recycled(), ElementsAre("C:\\Corvalis\\Uninstall"));
}

} // namespace
} // namespace corvalis
