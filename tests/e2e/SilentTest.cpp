#include <algorithm>

#include <gmock/gmock.h>

#include "E2eTest.h"
#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "engine/IdeBackup.h"
#include "ide/Utils.h"
#include "run/ExitCode.h"

namespace corvalis::e2e {
namespace {

using ::testing::Contains;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;
using namespace uidriver;

class SilentTest : public E2eTest {
protected:
    void InstallOldVersion()
    {
        ASSERT_EQ(Run(MakePackage("Old Setup", kOlderVersion), "--silent --ides=Delphi7 " + DirOption()).exitCode, 0u);
    }
    std::string DirOption() { return "\"--dir=" + InstallDir() + "\""; }
    std::vector<std::string> Log() { return SetupLog().value_or(std::vector<std::string>{}); }

    // The lines of setup.log without their time stamps: the headings in their order, then
    // every line, in an order that does not depend on how the tools' output interleaved.
    std::vector<std::string> LogTexts()
    {
        std::vector<std::string> headings, all;
        for (const std::string& line : Log()) {
            const std::string text = line.substr(std::min(line.find(", "), line.size()));
            // The tools' timings and the backup folder's time differ from run to run.
            if (EndsText(" seconds.", text) || text.find("\\Backup\\") != std::string::npos)
                continue;
            (StartsText(", Debug]", text) ? all : headings).push_back(text);
        }
        std::sort(all.begin(), all.end());
        headings.insert(headings.end(), all.begin(), all.end());
        return headings;
    }
    // What an installation changes: the product's keys, the IDEs' settings and the files.
    std::vector<std::string> State()
    {
        std::vector<std::string> state = IdeSettings();
        for (const auto& [name, value] : ProductKey())
            state.push_back(name + "=" + value);
        std::vector<FoundFile> files;
        FindFiles(machine.files, InstallDir(), "*", true, nullptr, files);
        for (const FoundFile& file : files)
            if (!EndsText("setup.log", file.path))
                state.push_back(file.path + ":" + std::to_string(file.size));
        return state;
    }
};

// The IDE's settings hold a key and values named with characters that no 8-bit code page
// holds together ("中", "Łukasz"): installations, uninstalls and restores keep them byte for byte.
TEST_F(SilentTest, TheWizardAndTheSilentRunInstallAndUninstallAlike)
{
    const std::string lukasz = "C:\\Users\\\xC5\x81ukasz\\Bpl\\\xE4\xB8\xAD.bpl";
    const IdeFixture& delphi7 = AddIde(IdeFixture(Ide::Delphi7, IdesFolder()).WithKnownPackage(lukasz, "\xC5\x81"));
    machine.registry.OpenKey(RootKey::CurrentUser, delphi7.UserKey() + "\\\xE4\xB8\xAD", KeyAccess::WriteCreate)
        ->WriteString(lukasz, "\xC5\x82");
    AddIde(Ide::Rad2007);
    const std::string setup = MakePackage("Corvalis Setup");
    const std::string uninstaller = InstallDir() + "\\Uninstall\\setup.exe";
    const std::vector<std::string> before = State(), settingsBefore = IdeSettings();
    InstallThroughWizard(setup);
    const std::vector<std::string> byWizard = State(), wizardLog = LogTexts();
    ASSERT_NE(byWizard, before);
    {
        TWizardSession wizard(uninstaller);
        wizard.WaitForPage("wMainternance");
        EXPECT_EQ(wizard.Title(), "Corvalis maintenance");
        Screenshot(wizard.Window(), "maintenance-page");
        SetCheck(wizard.Control("wMainternance", "Button", "Uninstall Corvalis"), BST_CHECKED);
        wizard.Next("wUninstall");
        EXPECT_EQ(wizard.Title(), "Begin uninstall");
        Screenshot(wizard.Window(), "uninstall-page");
        wizard.RunToFinish();
        const HWND finish = wizard.Page("wFinish");
        EXPECT_NE(FindControl(finish, "Static", "Corvalis component is now completely uninstalled from your computer"),
                  nullptr);
        EXPECT_FALSE(IsVisible(Control(finish, "Static", "Setup Log was saved at")));
        EXPECT_FALSE(IsVisible(Control(finish, "Button", "Learn more about Corvalis at the web site")));
        wizard.Finish();
    }
    EXPECT_EQ(State(), before);
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, corvalis::ProductKey));
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::LocalMachine, UninstallKey));
    EXPECT_FALSE(machine.files.DirectoryExists(test.StartMenuGroup()));
    EXPECT_FALSE(machine.files.FileExists(machine.files.SystemDirectory() + "\\CorvalisD7.bpl"));
    EXPECT_EQ(test.Names(InstallDir()), std::vector<std::string>{"Uninstall"});
    EXPECT_TRUE(test.Names(InstallDir() + "\\Uninstall").empty());
    EXPECT_TRUE(test.RunningInstallerWasPutAside(uninstaller));

    const TRunResult install = Run(setup, "--silent --ides=all " + DirOption());
    EXPECT_EQ(install.exitCode, ecDone) << install.errors;
    EXPECT_FALSE(install.showedWindow);
    EXPECT_EQ(install.errors, "");
    EXPECT_EQ(State(), byWizard);
    EXPECT_EQ(LogTexts(), wizardLog);
    std::vector<std::string> printed = TextLines(install.output), logged = Log();
    std::erase_if(printed, [](const std::string& line) { return StartsText("step ", line); });
    // Printed in the system code page, which lacks "中": the log keeps every character.
    for (std::string& line : logged)
        line = *win32::ToCodePage(CP_ACP, win32::Widen(line), true);
    EXPECT_EQ(printed, logged);
    EXPECT_THAT(install.output, HasSubstr("step 0 of "));
    const std::vector<std::string> installed = IdeSettings();

    const TRunResult uninstall = Run(setup, "--silent --uninstall");
    EXPECT_EQ(uninstall.exitCode, ecDone) << uninstall.errors;
    EXPECT_FALSE(uninstall.showedWindow);
    EXPECT_EQ(State(), before);
    EXPECT_THAT(uninstall.output, EndsWith("Uninstall completed\r\n"));
    // The settings as the uninstall found them, then, undoing that restore, as it left them.
    for (const auto* expected : {&installed, &settingsBefore}) {
        const TRunResult restore = Run(setup, "--restore");
        EXPECT_EQ(restore.exitCode, ecDone) << restore.output;
        EXPECT_EQ(IdeSettings(), *expected);
    }
}

TEST_F(SilentTest, AnAutomaticUpdateTakesOnlyTheIdesThatHadTheProductAndMaintenanceSetsANewSet)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& rad2007 = AddIde(Ide::Rad2007);
    const auto rad2007Before = UserKey(rad2007);
    InstallOldVersion();
    const std::string setup = MakePackage("New Setup");
    const TRunResult update = Run(setup, "--silent --autoupdate");
    EXPECT_EQ(update.exitCode, ecDone) << update.errors;
    EXPECT_EQ(ProductKey().at("INSTALLEDVERSION"), std::string("s:") + kVersion);
    EXPECT_THAT(update.output, HasSubstr("Uninstall from IDE:" + DisplayName(delphi7)));
    EXPECT_TRUE(UserKey(rad2007) == rad2007Before);
    EXPECT_THAT(Log(), Contains(HasSubstr("Compiling for:" + DisplayName(delphi7))));
    EXPECT_THAT(Log(), ::testing::Not(Contains(HasSubstr("Compiling for:" + DisplayName(rad2007)))));

    const TRunResult maintenance = Run(setup, "--silent --ides=Delphi2007");
    EXPECT_EQ(maintenance.exitCode, ecDone) << maintenance.errors;
    EXPECT_THAT(Log(), ::testing::AllOf(Contains(HasSubstr("Uninstall from IDE:" + DisplayName(delphi7))),
                                        Contains(HasSubstr("Compiling for:" + DisplayName(rad2007)))));
    EXPECT_EQ(ProductKey().count(UpperCase(DisplayName(delphi7)) + "\\INSTALLED"), 0u);
    EXPECT_EQ(ProductKey().at(UpperCase(DisplayName(rad2007)) + "\\INSTALLED"), "i:1");
}

TEST_F(SilentTest, AnAutomaticUpdateWithWindowsShowsTheRunAndClosesByItself)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    AddIde(Ide::Rad2007);
    InstallOldVersion();
    TWizardSession wizard(MakePackage("New Setup"), "--autoupdate");
    EXPECT_EQ(wizard.WaitForExit(kRunTimeout), DWORD(ecDone));
    EXPECT_EQ(ProductKey().at("INSTALLEDVERSION"), std::string("s:") + kVersion);
    EXPECT_THAT(Log(), Contains(HasSubstr("Compiling for:" + DisplayName(delphi7))));
}

TEST_F(SilentTest, RefusalsChangeNothingAndSayWhyOnStandardError)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const std::string setup = MakePackage("Corvalis Setup");
    machine.files.DeleteTree(BackupFolder(machine.platform));
    const std::vector<std::string> before = State();
    const std::string running = DisplayName(delphi7) + " IDE is running. Please close it before continue.";
    TChildProgram ide("\"" + delphi7.AppFile() + "\" /timeout:600000");
    WaitUntil([&] { return ide.Running(); }, "the IDE to start");
    const std::pair<const char*, std::string> refusals[] = {
        {"--silent", running},
        {"--silent --ides=Delphi2010", "Unknown IDE \"Delphi2010\": the IDEs found are Delphi7."},
        {"--silent --uninstall", "Corvalis is not installed: there is nothing to uninstall."},
        {"--silent --autoupdate --ignore-ide", "Corvalis is not installed: there is nothing to update."},
        {"--silent --dir=Corvalis",
         "The installation folder must be a full path, such as C:\\Program Files\\Halvorn\\Corvalis: Corvalis"},
        {"--restore", "No backup of IDE settings in " + BackupFolder(machine.platform) + "."},
        {"--restore=", "--restore= needs a value: it was given with none."},
    };
    for (const auto& [arguments, reason] : refusals) {
        const TRunResult result = Run(setup, arguments);
        EXPECT_EQ(std::tie(result.exitCode, result.output, result.errors, result.showedWindow),
                  std::make_tuple(DWORD(ecRefused), std::string(), reason + "\r\n", false));
        EXPECT_EQ(State(), before) << arguments;
    }
    const TRunResult ignored = Run(setup, "--silent --ignore-ide " + DirOption());
    EXPECT_EQ(ignored.exitCode, ecDone) << ignored.errors;
    EXPECT_THAT(ignored.output, HasSubstr(", Warning]" + running));
}

// Side by side (the default jobs) and one IDE after another, an installation leaves the same
// settings, files and setup.log, also when one IDE's compiler fails while the others build.
TEST_F(SilentTest, IdesSideBySideLeaveWhatOneAfterAnotherLeaves)
{
    for (Ide ide : {Ide::Delphi6, Ide::Delphi7, Ide::CBuilder6, Ide::Rad2007})
        AddIde(ide);
    const std::string setup = MakePackage("Corvalis Setup");
    for (const char* failing : {"", "CorvalisDsgnD7.dpk"}) {
        const TScopedEnvironment fail("CORVALIS_DCC32_FAIL", failing);
        std::vector<std::tuple<DWORD, std::vector<std::string>, std::vector<std::string>>> runs;
        for (const char* jobs : {"--jobs=1", ""}) {
            const DWORD exitCode = Run(setup, std::string("--silent --ides=all ") + jobs + " " + DirOption()).exitCode;
            runs.emplace_back(exitCode, State(), LogTexts());
            ASSERT_EQ(Run(setup, "--silent --uninstall").exitCode, ecDone);
        }
        EXPECT_EQ(std::get<0>(runs[0]), DWORD(*failing ? ecErrors : ecDone)) << failing;
        EXPECT_EQ(runs[1], runs[0]) << failing;
    }
}

// No system dialog stops a run without windows; the tool's crash is an error of its IDE.
TEST_F(SilentTest, ACrashingToolEndsWithItsCodeAndTheRunGoesOnWithoutAWindow)
{
    AddIde(Ide::Delphi7);
    const TScopedEnvironment crash("CORVALIS_CRASH", "dcc32.exe");
    const TRunResult run = Run(MakePackage("Corvalis Setup"), "--silent " + DirOption());
    EXPECT_EQ(std::tie(run.exitCode, run.showedWindow), std::make_tuple(DWORD(ecErrors), false)) << run.errors;
    EXPECT_THAT(Log(), Contains(EndsWith("Error]Error compiling package: CorvalisD7.dpk")));
}

TEST_F(SilentTest, TheListingNamesEachIdeAsTheCommandLineDoesAndAnUninstallKeepsToTheInstalledFolder)
{
    AddIde(Ide::Delphi7);
    AddIde(IdeFixture(Ide::Delphi6).WithoutCompiler());
    const std::string setup = MakePackage("Corvalis Setup");
    ASSERT_EQ(Run(setup, "--silent --ides=Delphi7 " + DirOption()).exitCode, ecDone);
    const TRunResult listing = Run(setup, "--list-ides");
    EXPECT_EQ(listing.exitCode, ecDone);
    EXPECT_EQ(listing.output, "Delphi6       not installed  " + DisplayName(test.Ides()[1]) +
                                  ": This IDE version has no dcc32.exe compiler. Please reinstall your IDE in order "
                                  "to fix this problem.\r\nDelphi7       installed      " +
                                  DisplayName(test.Ides()[0]) + "\r\n");
    EXPECT_FALSE(listing.showedWindow);
    const TRunResult uninstall = Run(setup, "--silent --uninstall \"--dir=C:\\Elsewhere\"");
    EXPECT_EQ(uninstall.exitCode, ecDone) << uninstall.errors;
    EXPECT_THAT(uninstall.output,
                HasSubstr(", Warning]--dir=C:\\Elsewhere is ignored: Corvalis is installed in " + InstallDir() + "."));
}

} // namespace
} // namespace corvalis::e2e
