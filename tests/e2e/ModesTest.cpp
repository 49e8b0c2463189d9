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
using namespace uidriver;

using ModesTest = E2eTest;

TEST_F(ModesTest, EveryGenerationInstalledThenAnIdeAddedOneReinstalledAndOneRemovedByMaintenance)
{
    for (IdeFixture& ide : testing::FullFixtureSet(IdesFolder()))
        AddIde(std::move(ide));
    const IdeFixture &delphi6 = test.Ides()[1], &delphi7 = test.Ides()[2], &cbuilder6 = test.Ides()[4],
                     &rad2010 = test.Ides()[9];
    const auto cbuilder6Before = UserKey(cbuilder6), delphi6Before = UserKey(delphi6);
    InstallThroughWizard(MakePackage("Corvalis Setup"), [&](auto& w) { SetCheck(RowBox(w, delphi6), BST_UNCHECKED); });
    EXPECT_EQ(UserKey(delphi6), delphi6Before);
    EXPECT_TRUE(Registered(delphi7, "Delphi7\\CorvalisDsgnD7.bpl"));
    EXPECT_TRUE(Registered(rad2010, "Delphi2010\\CorvalisDsgnD14.bpl"));
    EXPECT_THAT(*machine.files.ReadFile(rad2010.EnvOptionsFile(machine.platform)),
                HasSubstr(InstallDir() + "\\Delphi2010"));
    const std::string firstLogLine = SetupLog()->front();

    TWizardSession wizard(InstallDir() + "\\Uninstall\\setup.exe");
    wizard.WaitForPage("wMainternance");
    EXPECT_EQ(wizard.Title(), "Corvalis maintenance");
    SetCheck(wizard.Control("wMainternance", "Button", "Add or Remove IDE installations"), BST_CHECKED);
    wizard.Next("wCompilationMode");
    wizard.Next("wIDEPage");
    EXPECT_FALSE(IsEnabled(wizard.Button("&Next >")));
    EXPECT_EQ(Row(wizard, delphi7).check, BST_INDETERMINATE);
    const auto actions = [&] {
        return std::vector{Row(wizard, delphi6).status, Row(wizard, delphi7).status, Row(wizard, cbuilder6).status};
    };
    EXPECT_EQ(actions(), (std::vector<std::string>(3, "Action: Do nothing")));
    for (const IdeFixture* ide : {&delphi6, &delphi7, &cbuilder6, &cbuilder6})
        Click(RowBox(wizard, *ide));
    EXPECT_EQ(actions(), (std::vector<std::string>{"Action: Install", "Action: Reinstall", "Action: Uninstall"}));
    wizard.Next("wConfigPage");
    EXPECT_THAT(Items(wizard.Control("wConfigPage", "ComboBox", nullptr)),
                ::testing::ElementsAre(DisplayName(delphi7), DisplayName(delphi6)));
    wizard.RunToFinish();
    wizard.Finish();

    EXPECT_TRUE(Registered(delphi6, "Delphi6\\CorvalisDsgnD6.bpl"));
    EXPECT_TRUE(Registered(delphi7, "Delphi7\\CorvalisDsgnD7.bpl"));
    EXPECT_TRUE(Registered(rad2010, "Delphi2010\\CorvalisDsgnD14.bpl"));
    EXPECT_EQ(UserKey(cbuilder6), cbuilder6Before);
    EXPECT_NE(SetupLog()->front(), firstLogLine);
    EXPECT_THAT(SetupLog()->back(), EndsWith(", Info]Installation completed"));
}

TEST_F(ModesTest, AnUpdateReplacesTheOlderVersionAndGoesIntoTheIdesChosen)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& cbuilder6 = AddIde(Ide::CBuilder6);
    const auto cbuilder6Before = UserKey(cbuilder6);
    InstallThroughWizard(MakePackage("Corvalis 1.9", kOlderVersion),
                         [&](auto& w) { SetCheck(RowBox(w, cbuilder6), BST_UNCHECKED); });
    EXPECT_EQ(UserKey(cbuilder6), cbuilder6Before);

    TWizardSession wizard(MakePackage("Corvalis 2.0"));
    wizard.WaitForPage("wUpdatePage");
    EXPECT_EQ(wizard.Subtitle(), std::string("This wizard will update the Corvalis component version ") +
                                     kOlderVersion + " currently installed on your computer with newer version " +
                                     kVersion + ".");
    Screenshot(wizard.Window(), "update-page");
    wizard.ToIdePage({});
    EXPECT_EQ(Row(wizard, delphi7).status, "Action: Update");
    EXPECT_EQ(Row(wizard, cbuilder6).status, "Action: Do nothing");
    Click(RowBox(wizard, cbuilder6));
    EXPECT_EQ(Row(wizard, cbuilder6).status, "Action: Install");
    wizard.Next("wConfigPage");
    wizard.Next("wUninstall");
    EXPECT_EQ(wizard.Title(), "Begin update");
    EXPECT_NE(FindControl(wizard.Page("wUninstall"), "Static", InstallDir().c_str()), nullptr);
    wizard.RunToFinish();
    wizard.Finish();

    const std::string version = std::string("s:") + kVersion;
    EXPECT_EQ(ProductKey().at("INSTALLEDVERSION"), version);
    EXPECT_EQ(testing::SnapshotKey(machine.registry, RootKey::LocalMachine, UninstallKey).at("DISPLAYVERSION"),
              version);
    EXPECT_EQ(machine.files.ReadFile(InstallDir() + "\\Corvalis.ver"), std::string(kVersion) + "\r\n");
    EXPECT_TRUE(Registered(delphi7, "Delphi7\\CorvalisDsgnD7.bpl"));
    EXPECT_TRUE(Registered(cbuilder6, "CBuilder6\\CorvalisDsgnC6.bpl"));
}

TEST_F(ModesTest, APackageWithoutSourcesAndConnectivityInstallsThePrecompiledUnits)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& cbuilder6 = AddIde(Ide::CBuilder6);
    const IdeFixture& rad2009 = AddIde(Ide::Rad2009);
    InstallThroughWizard(MakePackage("Corvalis Setup", "2.0.1.0 Standard Edition", false, false), {}, [](auto& w) {
        EXPECT_FALSE(IsEnabled(w.Control("wConfigPage", "Button", "Compile Packages from sources")));
        EXPECT_FALSE(IsEnabled(w.Control("wConfigPage", "Button", "Add source location")));
    });
    EXPECT_FALSE(machine.files.FileExists(InstallDir() + "\\Sources\\CrvCore.pas"));
    EXPECT_TRUE(machine.files.FileExists(InstallDir() + "\\Delphi7\\CrvCore.dcu"));
    EXPECT_TRUE(Registered(delphi7, "Delphi7\\CorvalisDsgnD7.bpl"));
    EXPECT_TRUE(Registered(cbuilder6, "CBuilder6\\CorvalisDsgnC6.bpl"));
    EXPECT_TRUE(Registered(rad2009, "Delphi2009\\CorvalisDsgnD12.bpl"));
    EXPECT_THAT(UserKey(delphi7).at("LIBRARY\\BROWSING PATH"), ::testing::Not(HasSubstr(InstallDir())));
    EXPECT_EQ(test.Names(test.StartMenuGroup()).size(), 10u);
}

// While IDEs build side by side, the progress line says which is at which step; once all are
// done, it shows the latest line again.
TEST_F(ModesTest, WhileIdesBuildSideBySideTheProgressLineSaysWhichIsAtWhichStep)
{
    AddIde(Ide::Delphi6);
    AddIde(Ide::Delphi7);
    const std::string release = test.Root() + "\\release builds";
    const TScopedEnvironment hold("CORVALIS_HOLD", "dcc32.exe");
    const TScopedEnvironment until("CORVALIS_RELEASE", release);
    TWizardSession wizard(MakePackage("Corvalis Setup"), "--jobs=2");
    wizard.StartRun(InstallDir());
    const HWND page = wizard.Page("wCompile");
    {
        // However the wait ends, the held tools go on then.
        struct Release {
            IFileSystem& files;
            const std::string& file;
            ~Release() { files.WriteFile(file, ""); }
        } released{machine.files, release};
        WaitUntil([&] { return FindControl(page, "Static", "Delphi 7.0: step 1 of 7; Delphi 6.0: step 1 of 7") != nullptr; },
                  "both IDEs at work on the progress line", kRunTimeout);
        Screenshot(wizard.Window(), "compile-page-side-by-side");
    }
    WaitUntilEnabled(wizard.Button("&Next >"), true, kRunTimeout);
    EXPECT_NE(FindControl(page, "Static", "Installation completed"), nullptr);
    wizard.Next("wFinish");
    wizard.Finish();
}

TEST_F(ModesTest, ACompilerFailureInOneIdeLeavesTheOthersInstalledAndTheRunWithErrors)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& cbuilder6 = AddIde(Ide::CBuilder6);
    const IdeFixture& rad2007 = AddIde(Ide::Rad2007);
    // Delphi 7 comes last, so that its failure shows at the end of the view.
    const TScopedEnvironment failure("CORVALIS_DCC32_FAIL", "CorvalisD7.dpk");
    TWizardSession wizard(MakePackage("Corvalis Setup"));
    wizard.StartRun(InstallDir());
    WaitUntilEnabled(wizard.Button("&Next >"), true, kRunTimeout);
    const HWND bar = wizard.Control("wCompile", PROGRESS_CLASSA, nullptr);
    EXPECT_EQ(::SendMessageA(bar, PBM_GETPOS, 0, 0), ::SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
    // The failure's lines are red in the view.
    Screenshot(wizard.Window(), "compile-page");
    const TImage shown = CaptureWindow(wizard.Control("wCompile", "RichEdit20W", nullptr));
    const auto red = [](COLORREF pixel) {
        return GetRValue(pixel) > 200 && GetGValue(pixel) < 80 && GetBValue(pixel) < 80;
    };
    EXPECT_GT(std::ranges::count_if(shown.Pixels, red), 20);
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
    EXPECT_THAT(log, ::testing::Contains(HasSubstr(", Error]")));
    EXPECT_THAT(log.back(), EndsWith(", Info]Installation completed"));
}

} // namespace
} // namespace corvalis::e2e
