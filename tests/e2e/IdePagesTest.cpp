#include <optional>

#include <gmock/gmock.h>

#include "E2eTest.h"
#include "core/InstallData.h"
#include "core/Product.h"
#include "ide/Utils.h"

#include <commctrl.h>

namespace corvalis::e2e {
namespace {

using ::testing::ElementsAre;
using testing::Ide;
using testing::IdeFixture;
using namespace uidriver;

using IdePagesTest = E2eTest;

// The connectivity packages as the configuration page lists them.
constexpr int kAdo = 0;
constexpr int kBde = 1;
constexpr int kZeos = 4;

bool ProviderTicked(HWND list, int item)
{
    DWORD_PTR state = 0;
    ::SendMessageTimeoutA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK, SMTO_NORMAL, 5000,
                          &state);
    return (state >> 12) == 2;
}

// Space on an item of the check list, as the keyboard ticks it.
void PressSpaceOn(HWND list, int item)
{
    ClickMouse(list);
    WaitUntil(
        [&] {
            GUITHREADINFO thread = {sizeof thread};
            return ::GetGUIThreadInfo(::GetWindowThreadProcessId(list, nullptr), &thread) && thread.hwndFocus == list;
        },
        "the focus on the list");
    PressKey(list, VK_HOME);
    for (int i = 0; i < item; ++i)
        PressKey(list, VK_DOWN);
    PressKey(list, VK_SPACE);
}

void ToggleProvider(HWND list, int item)
{
    const bool ticked = ProviderTicked(list, item);
    PressSpaceOn(list, item);
    WaitUntil([&] { return ProviderTicked(list, item) != ticked; }, "the tick of item " + std::to_string(item));
}

// The texts break their lines with a lone carriage return; a label shows CR LF.
std::string Shown(const std::string& problem)
{
    std::string text;
    for (char c : problem)
        text += c == '\r' ? std::string("\r\n") : std::string(1, c);
    return text;
}

TEST_F(IdePagesTest, EachIdeRowShowsItsActionOrWhyTheIdeCannotTakeTheProduct)
{
    const IdeFixture& delphi5 = AddIde(Ide::Delphi5);
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& noDatabase = AddIde(IdeFixture(Ide::CBuilder6, IdesFolder()).WithoutDatabasePackage());
    const IdeFixture& noCompiler = AddIde(IdeFixture(Ide::Delphi2005, IdesFolder()).WithoutCompiler());
    const IdeFixture& turbo =
        AddIde(IdeFixture(Ide::Bds2006, IdesFolder()).WithEdition("Turbo Delphi Explorer").WithoutCompiler());
    const IdeFixture& oldRad = AddIde(IdeFixture(Ide::Rad2007, IdesFolder()).WithOldCoreIdePackage());
    const IdeFixture& rad2010 = AddIde(Ide::Rad2010);
    // Without sources the compilation mode page is left out, and RAD Studio 2007 needs its update.
    TWizardSession wizard(MakePackage("Corvalis Setup", "2.0.1.0 Standard Edition", false));
    wizard.ToIdePage(InstallDir());
    EXPECT_EQ(wizard.Title(), "Choose IDE Targets");

    for (const IdeFixture* ide : {&delphi5, &delphi7, &rad2010}) {
        const TRow row = Row(wizard, *ide);
        EXPECT_EQ(row.check, BST_CHECKED) << ide->RootDir();
        EXPECT_TRUE(row.enabled) << ide->RootDir();
        EXPECT_EQ(row.status, "Action: Install") << ide->RootDir();
    }
    const std::pair<const IdeFixture*, std::string> problems[] = {
        {&noDatabase, "This IDE version has no support of databases. Corvalis can not be installed."},
        {&noCompiler,
         "This IDE version has no dcc32.exe compiler.\rPlease reinstall your IDE in order to fix this problem."},
        {&turbo, std::string("The \"Turbo\" IDE edition has no command-line Delphi compiler (dcc32.exe).\rPlease "
                             "download it from CodeGear site: ") +
                     CompilerDownloadPage + " and run the installer again."},
        {&oldRad, "You have to update your D2007 IDE version before installing Corvalis.\rPlease install Service Pack "
                  "1 for Delphi2007 and run the installer again."}};
    for (const auto& [ide, problem] : problems) {
        const TRow row = Row(wizard, *ide);
        EXPECT_EQ(row.check, BST_UNCHECKED) << ide->RootDir();
        EXPECT_FALSE(row.enabled) << ide->RootDir();
        EXPECT_EQ(row.status, Shown(problem));
    }
    // The last IDE found is the top row.
    RECT top;
    RECT bottom;
    ::GetWindowRect(RowBox(wizard, rad2010), &top);
    ::GetWindowRect(RowBox(wizard, delphi5), &bottom);
    EXPECT_LT(top.top, bottom.top);
    Screenshot(wizard.Window(), "ide-page");

    SetCheck(RowBox(wizard, delphi7), BST_UNCHECKED);
    EXPECT_EQ(Row(wizard, delphi7).status, "Action: Don't install");
    wizard.Next("wConfigPage");
    const HWND targets = wizard.Control("wConfigPage", "ComboBox", nullptr);
    EXPECT_THAT(Items(targets), ElementsAre(DisplayName(rad2010), DisplayName(delphi5)));
    EXPECT_EQ(Text(targets), DisplayName(rad2010));
    // Nothing to compile from and no source folder to add.
    const HWND fromSources = wizard.Control("wConfigPage", "Button", "Compile Packages from sources");
    const HWND addSource = wizard.Control("wConfigPage", "Button", "Add source location");
    EXPECT_FALSE(IsEnabled(fromSources));
    EXPECT_FALSE(IsEnabled(addSource));
    EXPECT_EQ(CheckState(addSource), BST_UNCHECKED);
}

TEST_F(IdePagesTest, TheTntModeDisablesIdesWithoutTheTntControlsUntilTheStandardModeIsBack)
{
    const IdeFixture& withTnt = AddIde(IdeFixture(Ide::Delphi7, IdesFolder())
                                           .WithKnownPackage("$(DELPHI)\\Bin\\TntUnicodeVcl_R70.bpl", "TntUnicodeVcl"));
    const IdeFixture& withoutTnt = AddIde(Ide::CBuilder6);
    TWizardSession wizard(MakePackage("Corvalis Setup"));
    wizard.ToIdePage(InstallDir());
    wizard.Back("wCompilationMode");
    Screenshot(wizard.Window(), "compilation-mode");
    SetCheck(wizard.Control("wCompilationMode", "Button", "Compile Corvalis using TnT Unicode Controls"), BST_CHECKED);
    wizard.Next("wIDEPage");

    EXPECT_EQ(Row(wizard, withTnt).status, "Action: Install");
    const TRow refused = Row(wizard, withoutTnt);
    EXPECT_FALSE(refused.enabled);
    EXPECT_EQ(refused.status, Shown("You have selected compilation using TnT Unicode controls,\rbut this IDE have no "
                                    "Tnt Unicode controls installed."));

    wizard.Back("wCompilationMode");
    SetCheck(wizard.Control("wCompilationMode", "Button", "Compile Corvalis using standard VCL Controls"), BST_CHECKED);
    wizard.Next("wIDEPage");
    const TRow again = Row(wizard, withoutTnt);
    EXPECT_TRUE(again.enabled);
    EXPECT_EQ(again.check, BST_UNCHECKED);
    EXPECT_EQ(again.status, "Action: Don't install");
}

TEST_F(IdePagesTest, TheChoicesOfTheConfigurationPageReachTheRun)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& rad2007 = AddIde(Ide::Rad2007);
    TWizardSession wizard(MakePackage("Corvalis Setup", kVersion, true, true));
    wizard.ToIdePage(InstallDir());
    wizard.Next("wConfigPage");
    const HWND targets = wizard.Control("wConfigPage", "ComboBox", nullptr);
    const HWND providers = wizard.Control("wConfigPage", "SysListView32", nullptr);
    EXPECT_THAT(Items(targets), ElementsAre(DisplayName(rad2007), DisplayName(delphi7)));
    Screenshot(wizard.Window(), "config-page");

    SelectItem(targets, DisplayName(delphi7));
    SetCheck(wizard.Control("wConfigPage", "Button", "IDE registration"), BST_UNCHECKED);
    EXPECT_TRUE(ProviderTicked(providers, kAdo));
    ToggleProvider(providers, kAdo);
    // The IDE has no ZEOS library: its package cannot be chosen.
    EXPECT_FALSE(ProviderTicked(providers, kZeos));
    PressSpaceOn(providers, kZeos);
    ToggleProvider(providers, kAdo);
    ToggleProvider(providers, kAdo);
    EXPECT_FALSE(ProviderTicked(providers, kZeos));
    // The first IDE's options are as they were.
    SelectItem(targets, DisplayName(rad2007));
    EXPECT_TRUE(ProviderTicked(providers, kAdo));
    EXPECT_EQ(CheckState(wizard.Control("wConfigPage", "Button", "IDE registration")), BST_CHECKED);
    wizard.RunToFinish();
    wizard.Finish();

    EXPECT_FALSE(machine.files.FileExists(InstallDir() + "\\Delphi7\\CorvalisDsgnADOD7.bpl"));
    EXPECT_TRUE(machine.files.FileExists(InstallDir() + "\\Delphi7\\CorvalisDsgnBDED7.bpl"));
    EXPECT_TRUE(machine.files.FileExists(InstallDir() + "\\Delphi2007\\CorvalisDsgnADOD11.bpl"));
    // The option is kept for the next run; the packages are registered all the same.
    const auto options = testing::SnapshotKey(machine.registry, RootKey::LocalMachine,
                                              std::string(corvalis::ProductKey) + "\\" + DisplayName(delphi7));
    EXPECT_EQ(options.at("IDE REGISTRATION"), "i:0");
    EXPECT_EQ(
        UserKey(rad2007).count("KNOWN PACKAGES\\" + UpperCase(InstallDir()) + "\\DELPHI2007\\CORVALISDSGNADOD11.BPL"),
        1u);
}

TEST_F(IdePagesTest, ARunningIdeKeepsTheWizardOnTheIdePageUntilItEnds)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    TWizardSession wizard(MakePackage("Corvalis Setup"));
    wizard.ToIdePage(InstallDir());
    std::optional<TChildProgram> ide(std::in_place, "\"" + delphi7.AppFile() + "\" /timeout:600000");
    WaitUntil([&] { return ide->Running(); }, "the IDE to start");

    wizard.NextAsync();
    const HWND box = WaitForMessageBox(wizard.ProcessId(), DisplayName(delphi7) + " IDE is running. Please close it "
                                                                                  "before continue.");
    Click(Control(box, "Button", "OK"));
    WaitUntilGone(box);
    EXPECT_EQ(wizard.ActivePage(), "wIDEPage");

    ide.reset();
    wizard.Next("wConfigPage");
}

TEST_F(IdePagesTest, TheCommandLinePresetsTheRowsAndLetsARunningIdePass)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& rad2007 = AddIde(Ide::Rad2007);
    TWizardSession wizard(MakePackage("Corvalis Setup"), "--ides=Delphi7 --ignore-ide");
    wizard.ToIdePage(InstallDir());
    EXPECT_EQ(Row(wizard, delphi7).check, BST_CHECKED);
    EXPECT_EQ(Row(wizard, rad2007).check, BST_UNCHECKED);
    EXPECT_EQ(Row(wizard, rad2007).status, "Action: Don't install");
    TChildProgram ide("\"" + delphi7.AppFile() + "\" /timeout:600000");
    WaitUntil([&] { return ide.Running(); }, "the IDE to start");
    wizard.Next("wConfigPage");
}

// An update finds the product in a Turbo IDE whose compiler has gone: its row turns to
// removal, and Next asks what to do about the missing compiler.
class TurboWarningTest : public E2eTest {
protected:
    void SetUp() override
    {
        const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
        turbo_ = &AddIde(IdeFixture(Ide::Bds2006, IdesFolder()).WithEdition("Turbo Delphi Explorer").WithoutCompiler());
        RecordInstallation(kOlderVersion, {&delphi7, turbo_});
        installer_ = MakePackage("Corvalis Setup");
    }
    // A session on the IDE page, with the warning up.
    HWND WarningOf(TWizardSession& wizard)
    {
        wizard.WaitForPage("wUpdatePage");
        wizard.Next("wLicensePage");
        SetCheck(wizard.Control("wLicensePage", "Button", "Yes, I accept this agreement"), BST_CHECKED);
        wizard.Next("wCompilationMode");
        wizard.Next("wIDEPage");
        EXPECT_EQ(Row(wizard, *turbo_).check, BST_UNCHECKED);
        wizard.NextAsync();
        return WaitForWindow(wizard.ProcessId(), "CorvalisForm", "Warning");
    }

    const IdeFixture* turbo_ = nullptr;
    std::string installer_;
};

TEST_F(TurboWarningTest, ExitEndsTheInstaller)
{
    TWizardSession wizard(installer_);
    const HWND warning = WarningOf(wizard);
    Screenshot(warning, "compiler-warning");
    EXPECT_THAT(Text(FindControl(warning, "Static", nullptr)), ::testing::HasSubstr(DisplayName(*turbo_)));
    Click(Control(warning, "Button", "Exit"));
    EXPECT_EQ(wizard.WaitForExit(), 0u);
}

TEST_F(TurboWarningTest, ContinueAnywayGoesOnWithoutTheCompiler)
{
    TWizardSession wizard(installer_);
    Click(Control(WarningOf(wizard), "Button", "Continue Anyway"));
    wizard.WaitForPage("wConfigPage");
}

TEST_F(TurboWarningTest, RetryAsksAgainUntilTheCompilerIsThere)
{
    TWizardSession wizard(installer_);
    const HWND warning = WarningOf(wizard);
    Click(Control(warning, "Button", "&Retry"));
    WaitUntilListening(warning);
    EXPECT_TRUE(IsVisible(warning));
    EXPECT_EQ(wizard.ActivePage(), "wIDEPage");
    machine.files.CopyFile(PathJoin(test.ToolsFolder(), "dcc32.exe"), turbo_->RootDir() + "\\Bin\\dcc32.exe");
    Click(Control(warning, "Button", "&Retry"));
    wizard.WaitForPage("wConfigPage");
}

} // namespace
} // namespace corvalis::e2e
