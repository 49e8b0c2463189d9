#include <optional>

#include <gmock/gmock.h>

#include "E2eTest.h"
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
    GUITHREADINFO thread = {sizeof thread};
    const DWORD threadId = ::GetWindowThreadProcessId(list, nullptr);
    WaitUntil([&] { return ::GetGUIThreadInfo(threadId, &thread) && thread.hwndFocus == list; }, "the list's focus");
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
    // The IDEs of today, beside the old ones, each under its own name.
    const IdeFixture& xe2 = AddIde(Ide::RadXE2);
    const IdeFixture& rad11 = AddIde(Ide::Rad11);
    const IdeFixture& rad12 = AddIde(Ide::Rad12);
    // Without sources the compilation mode page is left out, and RAD Studio 2007 needs its update.
    TWizardSession wizard(MakePackage("Corvalis Setup", "2.0.1.0 Standard Edition", false));
    wizard.ToIdePage(InstallDir());
    EXPECT_EQ(wizard.Title(), "Choose IDE Targets");

    // The problems break their lines with a lone CR, which the label shows as CR LF.
    const TRow install{BST_CHECKED, true, "Action: Install"};
    const auto refused = [](const std::string& problem) { return TRow{BST_UNCHECKED, false, problem}; };
    const std::pair<const IdeFixture*, TRow> rows[] = {
        {&delphi5, install},
        {&delphi7, install},
        {&rad2010, install},
        {&xe2, install},
        {&rad11, install},
        {&rad12, install},
        {&noDatabase, refused("This IDE version has no support of databases. Corvalis can not be installed.")},
        {&noCompiler, refused("This IDE version has no dcc32.exe compiler.\r\nPlease reinstall your IDE in order to "
                              "fix this problem.")},
        {&turbo, refused(std::string("The \"Turbo\" IDE edition has no command-line Delphi compiler (dcc32.exe).\r\n"
                                     "Please download it from CodeGear site: ") +
                         CompilerDownloadPage + " and run the installer again.")},
        {&oldRad, refused("You have to update your D2007 IDE version before installing Corvalis.\r\nPlease install "
                          "Service Pack 1 for Delphi2007 and run the installer again.")},
    };
    for (const auto& [ide, row] : rows)
        EXPECT_EQ(Row(wizard, *ide), row) << ide->RootDir();
    // The last IDE found is the top row.
    RECT top, bottom;
    ::GetWindowRect(RowBox(wizard, rad2010), &top);
    ::GetWindowRect(RowBox(wizard, delphi5), &bottom);
    EXPECT_LT(top.top, bottom.top);
    Screenshot(wizard.Window(), "ide-page");

    SetCheck(RowBox(wizard, delphi7), BST_UNCHECKED);
    EXPECT_EQ(Row(wizard, delphi7).status, "Action: Don't install");
    wizard.Next("wConfigPage");
    const HWND targets = wizard.Control("wConfigPage", "ComboBox", nullptr);
    EXPECT_THAT(Items(targets), ElementsAre(DisplayName(xe2), DisplayName(rad12), DisplayName(rad11),
                                            DisplayName(rad2010), DisplayName(delphi5)));
    EXPECT_EQ(Text(targets), DisplayName(xe2));
    EXPECT_EQ(CheckState(wizard.Control("wConfigPage", "Button", "Add source location")), BST_UNCHECKED);
}

TEST_F(IdePagesTest, TheCompilationModeAndTheConfigurationChoicesReachTheRun)
{
    const IdeFixture& delphi7 = AddIde(IdeFixture(Ide::Delphi7, IdesFolder())
                                           .WithKnownPackage("$(DELPHI)\\Bin\\TntUnicodeVcl_R70.bpl", "TntUnicodeVcl"));
    const IdeFixture& rad2007 = AddIde(Ide::Rad2007);
    const auto toMode = [&](TWizardSession& wizard, const char* mode) {
        wizard.Back("wCompilationMode");
        SetCheck(wizard.Control("wCompilationMode", "Button", mode), BST_CHECKED);
        Screenshot(wizard.Window(), "compilation-mode");
        wizard.Next("wIDEPage");
    };
    const auto onIdePage = [&](TWizardSession& wizard) {
        toMode(wizard, "Compile Corvalis using TnT Unicode Controls");
        EXPECT_EQ(Row(wizard, delphi7).status, "Action: Install");
        EXPECT_EQ(Row(wizard, rad2007), (TRow{BST_UNCHECKED, false,
                                              "You have selected compilation using TnT Unicode "
                                              "controls,\r\nbut this IDE have no Tnt Unicode "
                                              "controls installed."}));
        toMode(wizard, "Compile Corvalis using standard VCL Controls");
        EXPECT_EQ(Row(wizard, rad2007), (TRow{BST_UNCHECKED, true, "Action: Don't install"}));
        Click(RowBox(wizard, rad2007));
    };
    InstallThroughWizard(MakePackage("Corvalis Setup", kVersion, true, true), onIdePage, [&](TWizardSession& wizard) {
        const HWND targets = wizard.Control("wConfigPage", "ComboBox", nullptr);
        const HWND providers = wizard.Control("wConfigPage", "SysListView32", nullptr);
        const HWND registration = wizard.Control("wConfigPage", "Button", "IDE registration");
        EXPECT_THAT(Items(targets), ElementsAre(DisplayName(rad2007), DisplayName(delphi7)));
        Screenshot(wizard.Window(), "config-page");

        SelectItem(targets, DisplayName(delphi7));
        SetCheck(registration, BST_UNCHECKED);
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
        EXPECT_EQ(CheckState(registration), BST_CHECKED);
    });
    EXPECT_FALSE(machine.files.FileExists(InstallDir() + "\\Delphi7\\CorvalisDsgnADOD7.bpl"));
    EXPECT_TRUE(machine.files.FileExists(InstallDir() + "\\Delphi7\\CorvalisDsgnBDED7.bpl"));
    EXPECT_TRUE(machine.files.FileExists(InstallDir() + "\\Delphi2007\\CorvalisDsgnADOD11.bpl"));
    // The option is kept for the next run; the packages are registered all the same.
    EXPECT_EQ(ProductKey().at(UpperCase(DisplayName(delphi7)) + "\\IDE REGISTRATION"), "i:0");
    EXPECT_TRUE(Registered(rad2007, "Delphi2007\\CorvalisDsgnADOD11.bpl"));
}

TEST_F(IdePagesTest, ARunningIdeKeepsTheWizardOnTheIdePageUnlessIgnoredAndTheCommandLinePresetsTheRows)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& rad2007 = AddIde(Ide::Rad2007);
    const std::string installer = MakePackage("Corvalis Setup");
    std::optional<TChildProgram> ide(std::in_place, "\"" + delphi7.AppFile() + "\" /timeout:600000");
    WaitUntil([&] { return ide->Running(); }, "the IDE to start");
    {
        TWizardSession wizard(installer, "--ides=Delphi7 --ignore-ide");
        wizard.ToIdePage(InstallDir());
        EXPECT_EQ(Row(wizard, delphi7).check, BST_CHECKED);
        EXPECT_EQ(Row(wizard, rad2007), (TRow{BST_UNCHECKED, true, "Action: Don't install"}));
        wizard.Next("wConfigPage");
    }
    TWizardSession wizard(installer);
    wizard.ToIdePage(InstallDir());
    wizard.NextAsync();
    const HWND box = WaitForMessageBox(wizard.ProcessId(),
                                       DisplayName(delphi7) + " IDE is running. Please close it before continue.");
    Click(Control(box, "Button", "OK"));
    WaitUntilGone(box);
    EXPECT_EQ(wizard.ActivePage(), "wIDEPage");
    ide.reset();
    wizard.Next("wConfigPage");
}

// An update finds the product in a Turbo IDE whose compiler has gone: its row turns to
// removal, and Next asks what to do about the missing compiler.
TEST_F(IdePagesTest, AMissingCompilerOfAnInstalledIdeEndsOrGoesOnOrIsAskedForAgain)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& turbo =
        AddIde(IdeFixture(Ide::Bds2006, IdesFolder()).WithEdition("Turbo Delphi Explorer").WithoutCompiler());
    RecordInstallation(kOlderVersion, {&delphi7, &turbo});
    const std::string installer = MakePackage("Corvalis Setup");
    const auto warningOf = [&](TWizardSession& wizard) {
        wizard.ToIdePage({});
        EXPECT_EQ(Row(wizard, turbo).check, BST_UNCHECKED);
        wizard.NextAsync();
        const HWND warning = WaitForWindow(wizard.ProcessId(), "CorvalisForm", "Warning");
        Screenshot(warning, "compiler-warning");
        EXPECT_THAT(Text(FindControl(warning, "Static", nullptr)), ::testing::HasSubstr(DisplayName(turbo)));
        return warning;
    };
    {
        TWizardSession wizard(installer);
        Click(Control(warningOf(wizard), "Button", "Exit"));
        EXPECT_EQ(wizard.WaitForExit(), 0u);
    }
    {
        TWizardSession wizard(installer);
        Click(Control(warningOf(wizard), "Button", "Continue Anyway"));
        wizard.WaitForPage("wConfigPage");
    }
    TWizardSession wizard(installer);
    const HWND warning = warningOf(wizard);
    Click(Control(warning, "Button", "&Retry"));
    WaitUntilListening(warning);
    EXPECT_TRUE(IsVisible(warning));
    EXPECT_EQ(wizard.ActivePage(), "wIDEPage");
    machine.files.CopyFile(PathJoin(test.ToolsFolder(), "dcc32.exe"), turbo.RootDir() + "\\Bin\\dcc32.exe");
    Click(Control(warning, "Button", "&Retry"));
    wizard.WaitForPage("wConfigPage");
}

} // namespace
} // namespace corvalis::e2e
