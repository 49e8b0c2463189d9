#include <gtest/gtest.h>

#include "platform/win32/Win32Platform.h"

#include <shlobj.h>

namespace corvalis {
namespace {

// What only the Windows services can show: the registry view, 8.3 names, .lnk content.
class Win32ServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = machine.files.TempDirectory() + "\\corvalis win32 " + std::to_string(::GetCurrentProcessId());
        machine.files.ForceDirectories(folder_);
    }
    void TearDown() override
    {
        machine.files.DeleteTree(folder_);
        machine.registry.DeleteKey(RootKey::LocalMachine, kKey);
    }

    static constexpr const char* kKey = "Software\\CorvalisTests\\View";
    Win32Platform machine;
    std::string folder_;
};

TEST_F(Win32ServicesTest, MachineKeysGoToThe32BitViewThat32BitIdesUse)
{
    machine.registry.OpenKey(RootKey::LocalMachine, kKey, KeyAccess::WriteCreate)->WriteString("RootDir", "C:\\D7");
    HKEY raw = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\CorvalisTests\\View", 0,
                              KEY_READ | KEY_WOW64_64KEY, &raw),
              ERROR_SUCCESS);
    ::RegCloseKey(raw);
    EXPECT_NE(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ | KEY_WOW64_64KEY, &raw), ERROR_SUCCESS);
}

TEST_F(Win32ServicesTest, ShortPathsHaveNoBlanks)
{
    const std::string shortPath = machine.files.ShortPath(folder_);
    ASSERT_FALSE(shortPath.empty());
    EXPECT_EQ(shortPath.find(' '), std::string::npos) << shortPath;
    EXPECT_TRUE(machine.files.DirectoryExists(shortPath));
}

TEST_F(Win32ServicesTest, AShortcutHoldsItsTargetAndWorkingFolder)
{
    const std::string target = folder_ + "\\Demos\\DemoApp\\CRVDemo.dpr";
    machine.files.ForceDirectories(folder_ + "\\Demos\\DemoApp");
    machine.files.WriteFile(target, "program CRVDemo;");
    const std::string link = folder_ + "\\Corvalis Demo Project.lnk";
    ASSERT_TRUE(machine.shell.CreateShortcut(link, target, folder_ + "\\Demos\\DemoApp"));

    win32::ComPtr<IShellLinkA> shellLink;
    ASSERT_TRUE(SUCCEEDED(
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, shellLink.ReceiveVoid())));
    win32::ComPtr<IPersistFile> file;
    ASSERT_TRUE(shellLink.As(file, IID_IPersistFile));
    ASSERT_TRUE(SUCCEEDED(file->Load(win32::Widen(link).c_str(), STGM_READ)));
    char text[MAX_PATH] = {};
    shellLink->GetPath(text, MAX_PATH, nullptr, 0);
    EXPECT_STRCASEEQ(text, target.c_str());
    shellLink->GetWorkingDirectory(text, MAX_PATH);
    EXPECT_STRCASEEQ(text, (folder_ + "\\Demos\\DemoApp").c_str());
}

} // namespace
} // namespace corvalis
