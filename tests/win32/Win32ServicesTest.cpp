#include <gtest/gtest.h>

#include "engine/RegistryExport.h"
#include "log/uLogger.h"
#include "platform/TextEncoding.h"
#include "platform/win32/Win32Platform.h"
#include "run/UserAccount.h"

namespace corvalis {
namespace {

// What only Windows can show: the registry view, 8.3 names, what Registry Editor imports (a
// Unicode file, with names and values that no 8-bit code page holds together) and the
// accounts as Windows tells them.
class Win32ServicesTest : public ::testing::Test {
protected:
    void SetUp() override { machine.files.ForceDirectories(folder_); }
    void TearDown() override
    {
        machine.files.DeleteTree(folder_);
        machine.registry.DeleteKey(RootKey::CurrentUser, key_);
        machine.registry.DeleteKey(RootKey::LocalMachine, key_);
    }

    Win32Platform machine;
    const std::string unique_ = std::to_string(::GetCurrentProcessId());
    const std::string folder_ = machine.files.TempDirectory() + "\\corvalis win32 " + unique_;
    const std::string key_ = "Software\\CorvalisTests\\Win32 " + unique_;
};

TEST_F(Win32ServicesTest, MachineKeysGoToThe32BitViewThat32BitIdesUse)
{
    machine.registry.OpenKey(RootKey::LocalMachine, key_, KeyAccess::WriteCreate)->WriteString("RootDir", "C:\\D7");
    win32::ScopedRegKey view, native;
    EXPECT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("Software\\Wow6432Node" + key_.substr(8)).c_str(), 0,
                              KEY_READ | KEY_WOW64_64KEY, view.Receive()),
              ERROR_SUCCESS);
    EXPECT_NE(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, native.Receive()),
              ERROR_SUCCESS);
}

TEST_F(Win32ServicesTest, ShortPathsHaveNoBlanks)
{
    const std::string shortPath = machine.files.ShortPath(folder_);
    EXPECT_TRUE(machine.files.DirectoryExists(shortPath)) << shortPath;
    EXPECT_EQ(shortPath.find(' '), std::string::npos) << shortPath;
}

TEST_F(Win32ServicesTest, RegeditImportsTheExportFileAsTheKeyItWasExportedFrom)
{
    const std::string path = key_ + "\\7.0";
    auto key = machine.registry.OpenKey(RootKey::CurrentUser, path + "\\Known Packages", KeyAccess::WriteCreate);
    ASSERT_NE(key, nullptr);
    key->WriteString("$(DELPHI)\\Bin\\dclado70.bpl", "Borland \"ADO\" DB Components");
    key->WriteString("C:\\Users\\\xC5\x81ukasz\\x.bpl", "Stra\xC3\x9F" "e \xE4\xB8\xAD");
    key->WriteString("", "");
    key->WriteValue("Unterminated", {kRegString, Utf16ToBytes(u"abc", false)});
    key->WriteValue("Expand", {kRegExpandString, Utf16ToBytes(std::u16string(u"%BDS%\\lib\0", 10), false)});
    key->WriteValue("Multi", {7, Utf16ToBytes(std::u16string(u"a\0b\u00E9\0\0", 6), false)});
    key->WriteValue("Binary", {kRegBinary, std::string(90, '\xC3')});
    key->WriteInteger("Number", -2);
    key->WriteValue("Big", {11, std::string("\1\2\3\4\5\6\7\x08", 8)});
    machine.registry.OpenKey(RootKey::CurrentUser, path + "\\Empty \xC5\x81", KeyAccess::WriteCreate);
    const std::string exported = FormatRegFile(ExportKey(machine.registry, RootKey::CurrentUser, path));
    const std::string file = folder_ + "\\export.reg";
    ASSERT_TRUE(machine.files.WriteFile(file, exported));

    key->WriteString("Added", "x");
    key->DeleteValue("Expand");
    machine.registry.DeleteKey(RootKey::CurrentUser, path + "\\Empty \xC5\x81");
    machine.registry.OpenKey(RootKey::CurrentUser, path + "\\New", KeyAccess::WriteCreate);
    TLogToList log(machine.locale);
    ASSERT_EQ(RunProcess(machine.processes, machine.locale, log, "regedit.exe /s \"" + file + "\"", folder_), 0);
    const auto text = [](const std::string& file) { return Utf16ToUtf8(Utf16FromBytes(file, false)); };
    EXPECT_EQ(text(FormatRegFile(ExportKey(machine.registry, RootKey::CurrentUser, path))), text(exported));
}

// Without a desktop shell, as a service or a build agent runs, nobody is warned; with one,
// its owner is found through its window: here the test itself, so the accounts agree.
TEST_F(Win32ServicesTest, TheDesktopShellsOwnerIsTheAccountOfItsWindowsProcess)
{
    const std::string account = machine.shell.ProcessAccount();
    EXPECT_NE(account.find('\\'), std::string::npos) << account;
    using SetShellWindowFunction = BOOL(WINAPI*)(HWND);
    const auto setShellWindow = win32::SystemFunction<SetShellWindowFunction>("user32.dll", "SetShellWindow");
    ASSERT_NE(setShellWindow, nullptr);
    const HWND window =
        ::CreateWindowExA(0, "STATIC", "shell", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    if (::GetShellWindow() == nullptr) {
        EXPECT_EQ(machine.shell.DesktopAccount(), std::nullopt);
        EXPECT_EQ(AccountWarning(machine.shell), std::nullopt);
        EXPECT_TRUE(setShellWindow(window));
    }
    EXPECT_EQ(machine.shell.DesktopAccount(), account);
    EXPECT_EQ(AccountWarning(machine.shell), std::nullopt);
    ::DestroyWindow(window);
}

} // namespace
} // namespace corvalis
