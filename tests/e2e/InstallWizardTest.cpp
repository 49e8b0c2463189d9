#include <regex>

#include <gmock/gmock.h>

#include "E2eTest.h"
#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "engine/IdeBackup.h"
#include "engine/RegistryExport.h"
#include "ide/Utils.h"
#include "run/ExitCode.h"

namespace corvalis::e2e {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using testing::Ide;
using namespace uidriver;

using InstallWizardTest = E2eTest;

TEST_F(InstallWizardTest, AFreshInstallationGoesThroughItsPagesAndLeavesTheProductInstalledAndRestorableSettings)
{
    const testing::IdeFixture& delphi = AddIde(Ide::Delphi7);
    AddIde(Ide::CBuilder6);
    const testing::IdeFixture& rad2007 = AddIde(Ide::Rad2007);
    const std::vector<std::string> before = IdeSettings();
    const std::string delphiExport = FormatRegFile(ExportKey(machine.registry, RootKey::CurrentUser, delphi.UserKey()));
    const auto rad2007EnvOptions = machine.files.ReadFile(rad2007.EnvOptionsFile(machine.platform));
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
    // The pages take no folder the command line refuses, and keep a folder as Windows resolves it.
    const auto refused = [&](HWND edit, const std::string& text, const std::string& reason) {
        TypeText(edit, text);
        wizard.NextAsync();
        Click(Control(WaitForMessageBox(wizard.ProcessId(), reason + ": " + text), "Button", "OK"));
    };
    const HWND destination = wizard.Controls("wDestinationPage", "Edit").front();
    refused(destination, "C:\\Tools\\..", "cannot be the root of a drive or a share");
    TypeText(destination, InstallDir() + "\\Sources\\..\\");
    wizard.Next("wFolder");
    const HWND folder = wizard.Controls("wFolder", "Edit").front();
    EXPECT_EQ(Text(folder), "Halvorn\\Corvalis VCL Edition");
    Screenshot(wizard.Window(), "folder-page");
    TypeText(folder, "");
    EXPECT_FALSE(IsEnabled(wizard.Button("&Next >")));
    refused(folder, "Halvorn\\CON", "which Windows reserves for a device");
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
    EXPECT_THAT(log->back(), EndsWith(", Info]Installation completed"));

    // The IDE settings saved before the run changed them, and put back by --restore.
    const std::string backups = BackupFolder(machine.platform);
    ASSERT_FALSE(test.Names(backups).empty());
    const std::string run = backups + "\\" + test.Names(backups).back();
    EXPECT_EQ(test.Names(run), (std::vector<std::string>{"CBuilder6", "Delphi2007", "Delphi7"}));
    EXPECT_EQ(machine.files.ReadFile(run + "\\Delphi7\\Registry.reg"), delphiExport);
    EXPECT_EQ(machine.files.ReadFile(run + "\\Delphi2007\\EnvOptions.proj"), rad2007EnvOptions);
    EXPECT_THAT(*log, ::testing::Contains(HasSubstr("The IDE settings are saved before they change, in " + run)));
    ASSERT_NE(IdeSettings(), before);
    const TRunResult restore = Run(InstallDir() + "\\Uninstall\\setup.exe", "--restore");
    EXPECT_EQ(restore.exitCode, 0u) << restore.errors;
    EXPECT_THAT(restore.output, HasSubstr(", Info]Restored the settings of " + DisplayName(rad2007)));
    EXPECT_EQ(IdeSettings(), before);
}

TEST_F(InstallWizardTest, APackageWithoutItsVersionFileIsRefusedTwiceAndShowsNoWizard)
{
    AddIde(Ide::Delphi7);
    const std::string installer = MakePackage("Corvalis Setup");
    machine.files.DeleteFile(ExtractFileDir(installer) + "\\version");
    TWizardSession wizard(installer);
    for (int shown = 0; shown < 2; ++shown) {
        const HWND box =
            WaitForMessageBox(wizard.ProcessId(), "File not exists:\"version\". Invalid installer package.");
        Click(Control(box, "Button", "OK"));
        WaitUntilGone(box);
    }
    EXPECT_EQ(wizard.WaitForExit(), DWORD(ecRefused));
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, corvalis::ProductKey));
}

TEST_F(InstallWizardTest, WithoutAnIdeTheWarningEndsTheInstallerOrLetsItCopyTheFiles)
{
    const std::string installer = MakePackage("Corvalis Setup");
    const auto answerWarning = [&](TWizardSession& wizard, const char* answer) {
        const HWND warning = WaitForWindow(wizard.ProcessId(), "CorvalisForm", "Corvalis Installer");
        Screenshot(warning, "no-ide");
        Click(Control(warning, "Button", answer));
    };
    {
        TWizardSession wizard(installer);
        answerWarning(wizard, "Exit Setup");
        EXPECT_EQ(wizard.WaitForExit(), 0u);
    }
    TWizardSession wizard(installer);
    answerWarning(wizard, "Continue with the installation");
    wizard.ToIdePage(InstallDir());
    EXPECT_TRUE(wizard.Controls("wIDEPage", "Button").empty());
    // Nothing to configure: the run comes next.
    wizard.RunToFinish();
    wizard.Finish();
    EXPECT_TRUE(machine.files.FileExists(InstallDir() + "\\Help\\CRV.HLP"));
    EXPECT_TRUE(machine.files.FileExists(InstallDir() + "\\setup.log"));
}

TEST_F(InstallWizardTest, CancelAndAFailedExtractionEndTheWizardAsTheRunStands)
{
    // Three IDEs make the run long enough to be cancelled while it goes.
    for (Ide ide : {Ide::Delphi7, Ide::CBuilder6, Ide::Rad2007})
        AddIde(ide);
    const std::string installer = MakePackage("Corvalis Setup");
    {
        TWizardSession wizard(installer);
        wizard.ToIdePage(InstallDir());
        Click(wizard.Button("Cancel"));
        EXPECT_EQ(wizard.WaitForExit(), 0u);
        EXPECT_FALSE(machine.files.DirectoryExists(InstallDir()));
        EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, corvalis::ProductKey));
    }
    {
        const TScopedEnvironment failure("CORVALIS_UNRAR_EXIT", "3");
        TWizardSession wizard(installer);
        wizard.StartRun(InstallDir());
        const HWND box = WaitForMessageBox(wizard.ProcessId(), "Error extracting component files from archive.");
        std::string text;
        for (HWND label : Controls(box, "Static"))
            text += Text(label);
        EXPECT_THAT(text, HasSubstr("A CRC error occurred when unpacking."));
        EXPECT_EQ(Text(box), "Corvalis Installer");
        Click(Control(box, "Button", "OK"));
        WaitUntilGone(box);
        EXPECT_TRUE(wizard.Running());
        EXPECT_EQ(wizard.ActivePage(), "wCompile");
        EXPECT_FALSE(IsEnabled(wizard.Button("&Next >")));
        EXPECT_TRUE(IsEnabled(wizard.Button("Cancel")));
        EXPECT_THAT(SetupLog().value_or(std::vector<std::string>{}),
                    ::testing::Contains(EndsWith("Extracting component files...")));
        EXPECT_EQ(ProductKey().at("RUN"), "s:Install");
        Click(wizard.Button("Cancel"));
        EXPECT_EQ(wizard.WaitForExit(), DWORD(ecFailed));
    }
    TWizardSession wizard(installer);
    // The failed run did not end: the first page says so, and this run completes it.
    wizard.WaitForPage("wInstallPage");
    EXPECT_EQ(wizard.Subtitle(), "The last run of the installer did not end. This run completes it; an uninstall "
                                 "removes what it made.");
    Screenshot(wizard.Window(), "interrupted-run");
    wizard.StartRun(InstallDir());
    Click(wizard.Button("Cancel"));
    EXPECT_EQ(wizard.WaitForExit(kRunTimeout), 0u);
    EXPECT_THAT(SetupLog().value_or(std::vector<std::string>{""}).back(), EndsWith(", Info]Installation completed"));
    EXPECT_EQ(ProductKey().at("INSTALLEDVERSION"), std::string("s:") + kVersion);
}

} // namespace
} // namespace corvalis::e2e
