#include <gmock/gmock.h>

#include "E2eTest.h"

#include <commctrl.h>

#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "driver/Capture.h"
#include "ide/Utils.h"

namespace corvalis::e2e {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;
using ::testing::Not;
using namespace uidriver;

// Every mode of the installer, each from a known state of the machine to what it leaves.
class ModesTest : public E2eTest {
protected:
    // The IDE knows the package of the installation folder.
    bool Registered(const IdeFixture& ide, const std::string& file)
    {
        return UserKey(ide).count("KNOWN PACKAGES\\" + UpperCase(InstallDir() + "\\" + file)) == 1;
    }
    bool HasCorvalisEntries(const IdeFixture& ide)
    {
        for (const auto& [name, value] : UserKey(ide))
            if (name.find(UpperCase(InstallDir())) != std::string::npos ||
                UpperCase(value).find(UpperCase(InstallDir())) != std::string::npos)
                return true;
        return false;
    }
    // The IDEs' own settings: their user keys and EnvOptions.proj files.
    std::vector<std::string> Settings()
    {
        std::vector<std::string> settings;
        for (const IdeFixture& ide : test.Ides()) {
            for (const auto& [name, value] : UserKey(ide))
                settings.push_back(name + "=" + value);
            if (ide.IsBds())
                settings.push_back(machine.files.ReadFile(ide.EnvOptionsFile(machine.platform)).value_or(""));
        }
        return settings;
    }
    // Past the maintenance page with one of its choices.
    void Choose(TWizardSession& wizard, const char* choice)
    {
        wizard.WaitForPage("wMainternance");
        EXPECT_EQ(wizard.Title(), "Corvalis maintenance");
        SetCheck(wizard.Control("wMainternance", "Button", choice), BST_CHECKED);
    }
    void ClickRow(TWizardSession& wizard, const IdeFixture& ide, int clicks = 1)
    {
        for (int i = 0; i < clicks; ++i)
            Click(RowBox(wizard, ide));
    }
    std::string Uninstaller() { return InstallDir() + "\\Uninstall\\setup.exe"; }
};

TEST_F(ModesTest, EveryGenerationInstalledThenAnIdeAddedOneReinstalledAndOneRemovedByMaintenance)
{
    for (IdeFixture& ide : testing::FullFixtureSet(IdesFolder()))
        AddIde(std::move(ide));
    const auto& ides = test.Ides();
    const IdeFixture& delphi6 = ides[1];
    const IdeFixture& delphi7 = ides[2];
    const IdeFixture& cbuilder6 = ides[4];
    const IdeFixture& rad2010 = ides[9];
    const auto cbuilder6Before = UserKey(cbuilder6);
    {
        TWizardSession wizard(MakePackage("Corvalis Setup"));
        wizard.ToIdePage(InstallDir());
        SetCheck(RowBox(wizard, delphi6), BST_UNCHECKED);
        wizard.Next("wConfigPage");
        wizard.RunToFinish();
        EXPECT_NE(FindControl(wizard.Page("wFinish"), "Static", "Corvalis component is installed successfully"),
                  nullptr);
        wizard.Finish();
    }
    EXPECT_FALSE(HasCorvalisEntries(delphi6));
    EXPECT_TRUE(Registered(delphi7, "Delphi7\\CorvalisDsgnD7.bpl"));
    EXPECT_TRUE(Registered(rad2010, "Delphi2010\\CorvalisDsgnD14.bpl"));
    EXPECT_THAT(*machine.files.ReadFile(rad2010.EnvOptionsFile(machine.platform)),
                HasSubstr(InstallDir() + "\\Delphi2010"));
    const std::vector<std::string> firstLog = *SetupLog();

    TWizardSession wizard(Uninstaller());
    Choose(wizard, "Add or Remove IDE installations");
    wizard.Next("wCompilationMode");
    wizard.Next("wIDEPage");
    EXPECT_FALSE(IsEnabled(wizard.Button("&Next >")));
    const TRow installed = Row(wizard, delphi7);
    EXPECT_EQ(installed.check, BST_INDETERMINATE);
    EXPECT_EQ(installed.status, "Action: Do nothing");
    EXPECT_EQ(Row(wizard, delphi6).status, "Action: Do nothing");

    ClickRow(wizard, delphi6);
    EXPECT_EQ(Row(wizard, delphi6).status, "Action: Install");
    ClickRow(wizard, delphi7);
    EXPECT_EQ(Row(wizard, delphi7).status, "Action: Reinstall");
    ClickRow(wizard, cbuilder6, 2);
    EXPECT_EQ(Row(wizard, cbuilder6).status, "Action: Uninstall");
    wizard.Next("wConfigPage");
    EXPECT_THAT(Items(wizard.Control("wConfigPage", "ComboBox", nullptr)),
                ::testing::ElementsAre(DisplayName(delphi7), DisplayName(delphi6)));
    wizard.RunToFinish();
    wizard.Finish();

    EXPECT_TRUE(Registered(delphi6, "Delphi6\\CorvalisDsgnD6.bpl"));
    EXPECT_TRUE(Registered(delphi7, "Delphi7\\CorvalisDsgnD7.bpl"));
    EXPECT_TRUE(Registered(rad2010, "Delphi2010\\CorvalisDsgnD14.bpl"));
    EXPECT_EQ(UserKey(cbuilder6), cbuilder6Before);
    const std::vector<std::string> log = *SetupLog();
    EXPECT_NE(log.front(), firstLog.front());
    EXPECT_THAT(log.back(), EndsWith(", Info]Installation completed"));
}

TEST_F(ModesTest, AnUpdateReplacesTheOlderVersionAndGoesIntoTheIdesChosen)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& cbuilder6 = AddIde(Ide::CBuilder6);
    {
        TWizardSession wizard(MakePackage("Corvalis 1.9", kOlderVersion));
        wizard.ToIdePage(InstallDir());
        SetCheck(RowBox(wizard, cbuilder6), BST_UNCHECKED);
        wizard.Next("wConfigPage");
        wizard.RunToFinish();
        wizard.Finish();
    }
    EXPECT_FALSE(HasCorvalisEntries(cbuilder6));

    TWizardSession wizard(MakePackage("Corvalis 2.0"));
    wizard.WaitForPage("wUpdatePage");
    EXPECT_EQ(wizard.Subtitle(), std::string("This wizard will update the Corvalis component version ") +
                                     kOlderVersion + " currently installed on your computer with newer version " +
                                     kVersion + ".");
    Screenshot(wizard.Window(), "update-page");
    wizard.Next("wLicensePage");
    SetCheck(wizard.Control("wLicensePage", "Button", "Yes, I accept this agreement"), BST_CHECKED);
    wizard.Next("wCompilationMode");
    wizard.Next("wIDEPage");
    EXPECT_EQ(Row(wizard, delphi7).status, "Action: Update");
    EXPECT_EQ(Row(wizard, cbuilder6).status, "Action: Do nothing");
    ClickRow(wizard, cbuilder6);
    EXPECT_EQ(Row(wizard, cbuilder6).status, "Action: Install");
    wizard.Next("wConfigPage");
    wizard.Next("wUninstall");
    EXPECT_EQ(wizard.Title(), "Begin update");
    EXPECT_NE(FindControl(wizard.Page("wUninstall"), "Static", InstallDir().c_str()), nullptr);
    wizard.RunToFinish();
    wizard.Finish();

    EXPECT_EQ(ProductKey().at("INSTALLEDVERSION"), std::string("s:") + kVersion);
    EXPECT_EQ(testing::SnapshotKey(machine.registry, RootKey::LocalMachine, UninstallKey).at("DISPLAYVERSION"),
              std::string("s:") + kVersion);
    EXPECT_EQ(machine.files.ReadFile(InstallDir() + "\\Corvalis.ver"), std::string(kVersion) + "\r\n");
    EXPECT_TRUE(Registered(delphi7, "Delphi7\\CorvalisDsgnD7.bpl"));
    EXPECT_TRUE(Registered(cbuilder6, "CBuilder6\\CorvalisDsgnC6.bpl"));
}

TEST_F(ModesTest, UninstallFromTheMaintenancePageTakesTheProductOffTheMachine)
{
    AddIde(Ide::Delphi7);
    AddIde(Ide::Rad2007);
    const std::vector<std::string> before = Settings();
    {
        TWizardSession wizard(MakePackage("Corvalis Setup"));
        InstallThroughWizard(wizard);
        wizard.Finish();
    }
    ASSERT_NE(Settings(), before);

    TWizardSession wizard(Uninstaller());
    Choose(wizard, "Uninstall Corvalis");
    Screenshot(wizard.Window(), "maintenance-page");
    wizard.Next("wUninstall");
    EXPECT_EQ(wizard.Title(), "Begin uninstall");
    Screenshot(wizard.Window(), "uninstall-page");
    wizard.RunToFinish();
    EXPECT_NE(FindControl(wizard.Page("wFinish"), "Static",
                          "Corvalis component is now completely uninstalled from your computer"),
              nullptr);
    EXPECT_FALSE(IsVisible(wizard.Control("wFinish", "Static", "Setup Log was saved at")));
    EXPECT_FALSE(IsVisible(wizard.Control("wFinish", "Button", "Learn more about Corvalis at the web site")));
    wizard.Finish();

    EXPECT_EQ(Settings(), before);
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, corvalis::ProductKey));
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, UninstallKey));
    EXPECT_FALSE(machine.files.DirectoryExists(test.StartMenuGroup()));
    EXPECT_FALSE(machine.files.FileExists(machine.files.SystemDirectory() + "\\CorvalisD7.bpl"));
    EXPECT_THAT(test.Names(InstallDir()), ::testing::ElementsAre("Uninstall"));
    EXPECT_TRUE(test.Names(InstallDir() + "\\Uninstall").empty());
    EXPECT_TRUE(test.RunningInstallerWasPutAside(Uninstaller()));
}

TEST_F(ModesTest, APackageWithoutSourcesAndConnectivityInstallsThePrecompiledUnits)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& cbuilder6 = AddIde(Ide::CBuilder6);
    const IdeFixture& rad2009 = AddIde(Ide::Rad2009);
    TWizardSession wizard(MakePackage("Corvalis Setup", "2.0.1.0 Standard Edition", false, false));
    wizard.ToIdePage(InstallDir());
    wizard.Next("wConfigPage");
    EXPECT_FALSE(IsEnabled(wizard.Control("wConfigPage", "Button", "Compile Packages from sources")));
    EXPECT_FALSE(IsEnabled(wizard.Control("wConfigPage", "Button", "Add source location")));
    wizard.RunToFinish();
    EXPECT_NE(FindControl(wizard.Page("wFinish"), "Static", "Corvalis component is installed successfully"), nullptr);
    wizard.Finish();

    EXPECT_FALSE(machine.files.FileExists(InstallDir() + "\\Sources\\CrvCore.pas"));
    EXPECT_TRUE(machine.files.FileExists(InstallDir() + "\\Delphi7\\CrvCore.dcu"));
    EXPECT_TRUE(Registered(delphi7, "Delphi7\\CorvalisDsgnD7.bpl"));
    EXPECT_TRUE(Registered(cbuilder6, "CBuilder6\\CorvalisDsgnC6.bpl"));
    EXPECT_TRUE(Registered(rad2009, "Delphi2009\\CorvalisDsgnD12.bpl"));
    EXPECT_THAT(UserKey(delphi7).at("LIBRARY\\BROWSING PATH"), Not(HasSubstr(InstallDir())));
    EXPECT_EQ(test.Names(test.StartMenuGroup()).size(), 10u);
}

TEST_F(ModesTest, ACompilerFailureInOneIdeLeavesTheOthersInstalledAndTheRunWithErrors)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& cbuilder6 = AddIde(Ide::CBuilder6);
    const IdeFixture& rad2007 = AddIde(Ide::Rad2007);
    // Delphi 7 comes last, so that its failure shows at the end of the view.
    const TScopedEnvironment failure("CORVALIS_DCC32_FAIL", "CorvalisD7.dpk");
    TWizardSession wizard(MakePackage("Corvalis Setup"));
    wizard.ToIdePage(InstallDir());
    wizard.Next("wConfigPage");
    wizard.NextAsync();
    wizard.WaitForPage("wCompile");
    WaitUntilEnabled(wizard.Button("&Next >"), true, kRunTimeout);
    const HWND bar = wizard.Control("wCompile", PROGRESS_CLASSA, nullptr);
    EXPECT_EQ(::SendMessageA(bar, PBM_GETPOS, 0, 0), ::SendMessageA(bar, PBM_GETRANGE, FALSE, 0));

    // The failure's lines are red in the view.
    const HWND view = wizard.Control("wCompile", "RichEdit20A", nullptr);
    Screenshot(wizard.Window(), "compile-page");
    const TImage shown = CaptureWindow(view);
    const auto red = std::count_if(shown.Pixels.begin(), shown.Pixels.end(), [](COLORREF pixel) {
        return GetRValue(pixel) > 200 && GetGValue(pixel) < 80 && GetBValue(pixel) < 80;
    });
    EXPECT_GT(red, 20);

    wizard.Next("wFinish");
    EXPECT_NE(FindControl(wizard.Page("wFinish"), "Static",
                          "Corvalis Setup completed with errors. See Setup Log for additional information."),
              nullptr);
    Screenshot(wizard.Window(), "finish-page");
    wizard.Finish();

    EXPECT_FALSE(Registered(delphi7, "Delphi7\\CorvalisDsgnD7.bpl"));
    EXPECT_TRUE(Registered(cbuilder6, "CBuilder6\\CorvalisDsgnC6.bpl"));
    EXPECT_TRUE(Registered(rad2007, "Delphi2007\\CorvalisDsgnD11.bpl"));
    const std::vector<std::string> log = *SetupLog();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                            [](const std::string& line) { return line.find(", Error]") != std::string::npos; }));
    EXPECT_THAT(log.back(), EndsWith(", Info]Installation completed"));
}

} // namespace
} // namespace corvalis::e2e
