#include <gtest/gtest.h>

#include "core/RegistryExport.h"
#include "core/UserAccount.h"
#include "engine/uLogger.h"
#include "platform/win32/Win32Platform.h"

namespace corvalis {
namespace {

// The export file as Registry Editor reads it, and the accounts as Windows tells them.
class RegistryExportTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        machine.registry.DeleteKey(RootKey::CurrentUser, kBase);
        machine.files.DeleteFile(file_);
    }

    static constexpr const char* kBase = "Software\\CorvalisTests\\Export";
    const std::string path_ = std::string(kBase) + "\\" + std::to_string(::GetCurrentProcessId()) + "\\7.0";
    const std::string file_ =
        machine.files.TempDirectory() + "\\corvalis export " + std::to_string(::GetCurrentProcessId()) + ".reg";
    Win32Platform machine;
};

TEST_F(RegistryExportTest, RegeditImportsTheFileAsTheKeyItWasExportedFrom)
{
    auto key = machine.registry.OpenKey(RootKey::CurrentUser, path_ + "\\Known Packages", KeyAccess::WriteCreate);
    ASSERT_NE(key, nullptr);
    key->WriteString("$(DELPHI)\\Bin\\dclado70.bpl", "Borland \"ADO\" DB Components");
    key->WriteString("C:\\B\xFC"
                     "cher\\x.bpl",
                     "Stra\xDF"
                     "e");
    key->WriteString("", "");
    key->WriteValue("Unterminated", {kRegString, "abc"});
    key->WriteValue("Expand", {kRegExpandString, std::string("%BDS%\\lib\0", 10)});
    key->WriteValue("Multi", {7, std::string("a\0b\xE9\0\0", 6)});
    key->WriteValue("Binary", {kRegBinary, std::string(90, '\xC3')});
    key->WriteInteger("Number", -2);
    key->WriteValue("Big", {11, std::string("\1\2\3\4\5\6\7\x08", 8)});
    ASSERT_NE(machine.registry.OpenKey(RootKey::CurrentUser, path_ + "\\Empty", KeyAccess::WriteCreate), nullptr);
    const std::string exported = FormatRegFile(ExportKey(machine.registry, RootKey::CurrentUser, path_));
    ASSERT_TRUE(machine.files.WriteFile(file_, exported));

    key->WriteString("Added", "x");
    key->DeleteValue("Expand");
    machine.registry.DeleteKey(RootKey::CurrentUser, path_ + "\\Empty");
    machine.registry.OpenKey(RootKey::CurrentUser, path_ + "\\New", KeyAccess::WriteCreate);
    TLogToList log(machine.locale);
    ASSERT_EQ(RunProcess(machine.processes, machine.locale, log, "regedit.exe /s \"" + file_ + "\"",
                         machine.files.TempDirectory()),
              0);

    EXPECT_EQ(FormatRegFile(ExportKey(machine.registry, RootKey::CurrentUser, path_)), exported);
}

// Without a desktop shell, as a service or a build agent runs, nobody is warned; with one,
// its owner is found through its window: here the test itself, so the accounts agree.
TEST_F(RegistryExportTest, TheDesktopShellsOwnerIsTheAccountOfItsWindowsProcess)
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
