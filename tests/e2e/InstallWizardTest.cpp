#include <regex>

#include <gmock/gmock.h>

#include "E2eTest.h"
#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "core/Unattended.h"
#include "ide/Utils.h"

namespace corvalis::e2e {
namespace {

using ::testing::HasSubstr;
using testing::Ide;
using namespace uidriver;

using InstallWizardTest = E2eTest;

TEST_F(InstallWizardTest, AFreshInstallationGoesThroughItsPagesAndLeavesTheProductInstalled)
{
    const testing::IdeFixture& delphi = AddIde(Ide::Delphi7);
    AddIde(Ide::CBuilder6);
    AddIde(Ide::Rad2007);
    TWizardSession wizard(MakePackage("Corvalis Setup"));

    wizard.WaitForPage("wInstallPage");
    EXPECT_EQ(wizard.Title(), "Welcome to the Corvalis Installation Wizard");
    EXPECT_EQ(wizard.Subtitle(), "This wizard will install the Corvalis component on your computer.");
    EXPECT_FALSE(IsVisible(wizard.Button("< &Back")));
    Screenshot(wizard.Window(), "welcome");

    wizard.Next("wLicensePage");
    EXPECT_FALSE(IsEnabled(wizard.Button("&Next >")));
    SetCheck(wizard.Control("wLicensePage", "Button", "Yes, I accept this agreement"), BST_CHECKED);
    Screenshot(wizard.Window(), "license-page");
    wizard.Next("wDestinationPage");
    Screenshot(wizard.Window(), "destination-page");
    TypeText(wizard.Controls("wDestinationPage", "Edit").front(), InstallDir());
    wizard.Next("wFolder");
    const HWND folder = wizard.Controls("wFolder", "Edit").front();
    EXPECT_EQ(Text(folder), "Halvorn\\Corvalis VCL Edition");
    Screenshot(wizard.Window(), "folder-page");
    TypeText(folder, "");
    EXPECT_FALSE(IsEnabled(wizard.Button("&Next >")));
    TypeText(folder, "Halvorn\\Corvalis VCL Edition");
    wizard.Next("wCompilationMode");
    wizard.Back("wFolder");
    wizard.Next("wCompilationMode");
    wizard.Next("wIDEPage");
    EXPECT_EQ(Row(wizard, delphi).status, "Action: Install");
    wizard.Next("wConfigPage");
    wizard.RunToFinish();

    EXPECT_NE(FindControl(wizard.Page("wFinish"), "Static", "Corvalis component is installed successfully"), nullptr);
    EXPECT_NE(FindControl(wizard.Page("wFinish"), "Static", (InstallDir() + "\\setup.log").c_str()), nullptr);
    wizard.Finish();

    const auto product = ProductKey();
    EXPECT_EQ(product.at("INSTALLDIR"), "s:" + InstallDir());
    EXPECT_EQ(product.at("INSTALLEDVERSION"), std::string("s:") + kVersion);
    EXPECT_EQ(product.at("STARTFOLDER"), "s:Halvorn\\Corvalis VCL Edition");
    // Every shortcut but the connectivity demos', which come with metapvds only.
    EXPECT_EQ(test.Names(test.StartMenuGroup()).size(), 10u);
    EXPECT_TRUE(machine.registry.KeyExists(RootKey::LocalMachine, UninstallKey));
    EXPECT_TRUE(machine.files.FileExists(InstallDir() + "\\Uninstall\\setup.exe"));
    EXPECT_TRUE(machine.files.FileExists(InstallDir() + "\\Delphi7\\CorvalisDsgnD7.bpl"));
    EXPECT_TRUE(machine.files.FileExists(machine.files.SystemDirectory() + "\\CorvalisD7.bpl"));
    EXPECT_THAT(UserKey(delphi).at("LIBRARY\\SEARCH PATH"), HasSubstr(InstallDir() + "\\Delphi7"));

    const auto log = SetupLog();
    ASSERT_TRUE(log);
    const std::regex stamped(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}, (Debug|Info)\].*)");
    EXPECT_TRUE(std::regex_match(log->front(), stamped)) << log->front();
    EXPECT_THAT(log->back(), ::testing::EndsWith(", Info]Installation completed"));
}

// Answers the message box that says text, and waits until it is gone.
void AnswerMessageBox(DWORD processId, const std::string& text, const char* button = "OK")
{
    const HWND box = WaitForMessageBox(processId, text);
    Click(Control(box, "Button", button));
    WaitUntilGone(box);
}

// What a message box says: the texts of its labels.
std::string MessageBoxText(HWND box)
{
    std::string text;
    for (HWND label : Controls(box, "Static"))
        text += Text(label);
    return text;
}

TEST_F(InstallWizardTest, APackageWithoutItsVersionFileIsRefusedTwiceAndShowsNoWizard)
{
    AddIde(Ide::Delphi7);
    const std::string installer = MakePackage("Corvalis Setup");
    machine.files.DeleteFile(ExtractFileDir(installer) + "\\version");
    TWizardSession wizard(installer);

    const std::string message = "File not exists:\"version\". Invalid installer package.";
    AnswerMessageBox(wizard.ProcessId(), message);
    AnswerMessageBox(wizard.ProcessId(), message);
    EXPECT_EQ(wizard.WaitForExit(), DWORD(ecRefused));
    EXPECT_TRUE(TopLevelWindows(wizard.ProcessId(), "CorvalisForm").empty());
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, corvalis::ProductKey));
}

TEST_F(InstallWizardTest, WithoutAnIdeTheWarningEndsTheInstallerOrLetsItCopyTheFiles)
{
    const std::string installer = MakePackage("Corvalis Setup");
    {
        TWizardSession wizard(installer);
        const HWND warning = WaitForWindow(wizard.ProcessId(), "CorvalisForm", "Corvalis Installer");
        Screenshot(warning, "no-ide");
        Click(Control(warning, "Button", "Exit Setup"));
        EXPECT_EQ(wizard.WaitForExit(), 0u);
    }
    TWizardSession wizard(installer);
    Click(Control(WaitForWindow(wizard.ProcessId(), "CorvalisForm", "Corvalis Installer"), "Button",
                  "Continue with the installation"));
    wizard.ToIdePage(InstallDir());
    EXPECT_TRUE(wizard.Controls("wIDEPage", "Button").empty());
    // Nothing to configure: the run comes next.
    wizard.RunToFinish();
    wizard.Finish();
    EXPECT_TRUE(machine.files.FileExists(InstallDir() + "\\Help\\CRV.HLP"));
    EXPECT_TRUE(machine.files.FileExists(InstallDir() + "\\setup.log"));
}

TEST_F(InstallWizardTest, CancelBeforeTheRunEndsTheInstallerWithoutATrace)
{
    AddIde(Ide::Delphi7);
    TWizardSession wizard(MakePackage("Corvalis Setup"));
    wizard.ToIdePage(InstallDir());
    Click(wizard.Button("Cancel"));
    EXPECT_EQ(wizard.WaitForExit(), 0u);
    EXPECT_FALSE(machine.files.DirectoryExists(InstallDir()));
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, corvalis::ProductKey));
}

TEST_F(InstallWizardTest, CancelDuringTheRunLetsItFinishAndEndsWithoutTheFinishPage)
{
    for (Ide ide : {Ide::Delphi7, Ide::CBuilder6, Ide::Rad2007})
        AddIde(ide);
    TWizardSession wizard(MakePackage("Corvalis Setup"));
    wizard.ToIdePage(InstallDir());
    wizard.Next("wConfigPage");
    wizard.NextAsync();
    wizard.WaitForPage("wCompile");
    Click(wizard.Button("Cancel"));
    EXPECT_EQ(wizard.WaitForExit(kRunTimeout), 0u);

    const auto log = SetupLog();
    ASSERT_TRUE(log);
    EXPECT_THAT(log->back(), ::testing::EndsWith(", Info]Installation completed"));
    EXPECT_EQ(ProductKey().at("INSTALLEDVERSION"), std::string("s:") + kVersion);
}

TEST_F(InstallWizardTest, AFailedExtractionShowsItsErrorAndLeavesTheWizardOnTheCompilePage)
{
    AddIde(Ide::Delphi7);
    const TScopedEnvironment failure("CORVALIS_UNRAR_EXIT", "3");
    TWizardSession wizard(MakePackage("Corvalis Setup"));
    wizard.ToIdePage(InstallDir());
    wizard.Next("wConfigPage");
    wizard.NextAsync();
    const HWND box = WaitForMessageBox(wizard.ProcessId(), "Error extracting component files from archive.");
    EXPECT_THAT(MessageBoxText(box), HasSubstr("A CRC error occurred when unpacking."));
    EXPECT_EQ(Text(box), "Corvalis Installer");
    Click(Control(box, "Button", "OK"));
    WaitUntilGone(box);

    EXPECT_TRUE(wizard.Running());
    EXPECT_EQ(wizard.ActivePage(), "wCompile");
    EXPECT_FALSE(IsEnabled(wizard.Button("&Next >")));
    EXPECT_TRUE(IsEnabled(wizard.Button("Cancel")));
    EXPECT_FALSE(SetupLog());
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, corvalis::ProductKey));
    Click(wizard.Button("Cancel"));
    EXPECT_EQ(wizard.WaitForExit(), DWORD(ecFailed));
}

} // namespace
} // namespace corvalis::e2e
