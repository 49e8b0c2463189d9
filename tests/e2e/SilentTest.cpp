#include <algorithm>

#include <gmock/gmock.h>

#include "E2eTest.h"
#include "core/InstallData.h"
#include "core/Unattended.h"
#include "ide/Utils.h"

namespace corvalis::e2e {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;
using ::testing::IsEmpty;
using uidriver::TChildProgram;

// What a script sees of an installer run: exit code, standard output and error, and
// whether the program showed a window meanwhile.
struct TRunResult {
    DWORD exitCode;
    std::string output;
    std::string errors;
    bool showedWindow;
};

// The first entry where two long lists differ, for a failure message that stays short.
std::string FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    const auto [left, right] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (left == a.end() && right == b.end())
        return {};
    return (left == a.end() ? "<end>" : *left) + " <> " + (right == b.end() ? "<end>" : *right);
}

bool HasVisibleWindow(DWORD processId)
{
    struct Search {
        DWORD processId;
        bool found;
    } search{processId, false};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            s.found = s.found || (owner == s.processId && ::IsWindowVisible(window));
            return !s.found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The installer of the test's machine and its result; its output goes through files of
// the test's folder, so that Wine's helper processes cannot keep a pipe open.
class SilentTest : public E2eTest {
protected:
    TRunResult Run(const std::string& setup, const std::string& arguments)
    {
        const std::string output = test.Root() + "\\stdout.txt";
        const std::string errors = test.Root() + "\\stderr.txt";
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        const auto open = [&](const std::string& path) {
            return win32::ScopedKernelHandle(
                ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
        };
        TRunResult result{};
        {
            win32::ScopedKernelHandle out = open(output), err = open(errors);
            win32::ScopedKernelHandle in(
                ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr));
            STARTUPINFOA startup = {sizeof startup};
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdInput = in.Get();
            startup.hStdOutput = out.Get();
            startup.hStdError = err.Get();
            PROCESS_INFORMATION process{};
            std::string commandLine = "\"" + setup + "\" " + arguments;
            if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                  &process))
                throw std::runtime_error("cannot start " + commandLine);
            win32::ScopedKernelHandle processHandle(process.hProcess), thread(process.hThread);
            const auto deadline = std::chrono::steady_clock::now() + kRunTimeout;
            while (::WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
                result.showedWindow = result.showedWindow || HasVisibleWindow(process.dwProcessId);
                if (std::chrono::steady_clock::now() > deadline) {
                    ::TerminateProcess(process.hProcess, 99);
                    throw std::runtime_error("the installer did not end: " + commandLine);
                }
            }
            ::GetExitCodeProcess(process.hProcess, &result.exitCode);
        }
        result.output = machine.files.ReadFile(output).value_or("");
        result.errors = machine.files.ReadFile(errors).value_or("");
        return result;
    }

    // The lines of setup.log without their time stamps: the headings in their order, then
    // every line, in an order that does not depend on how the tools' output interleaved.
    std::vector<std::string> LogTexts()
    {
        std::vector<std::string> headings, all;
        for (const std::string& line : SetupLog().value_or(std::vector<std::string>{})) {
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
        std::vector<std::string> state;
        for (const auto& [name, value] : ProductKey())
            state.push_back(name + "=" + value);
        for (const IdeFixture& ide : test.Ides()) {
            for (const auto& [name, value] : UserKey(ide))
                state.push_back(name + "=" + value);
            if (ide.IsBds())
                state.push_back(machine.files.ReadFile(ide.EnvOptionsFile(machine.platform)).value_or(""));
        }
        std::vector<FoundFile> files;
        FindFiles(machine.files, InstallDir(), "*", true, nullptr, files);
        for (const FoundFile& file : files)
            if (!EndsText("setup.log", file.path))
                state.push_back(file.path + ":" + std::to_string(file.size));
        return state;
    }
};

TEST_F(SilentTest, ASilentInstallationDoesWhatTheWizardDoesAndASilentUninstallTakesItAllBack)
{
    AddIde(Ide::Delphi7);
    AddIde(Ide::Rad2007);
    const std::string setup = MakePackage("Corvalis Setup");
    const std::vector<std::string> before = State();
    {
        TWizardSession wizard(setup);
        InstallThroughWizard(wizard);
        wizard.Finish();
    }
    const std::vector<std::string> byWizard = State();
    const std::vector<std::string> wizardLog = LogTexts();

    TRunResult uninstall = Run(setup, "--silent --uninstall");
    EXPECT_EQ(uninstall.exitCode, ecDone) << uninstall.errors;
    EXPECT_FALSE(uninstall.showedWindow);
    EXPECT_EQ(FirstDifference(State(), before), "");
    EXPECT_THAT(uninstall.output, EndsWith("Uninstall completed\r\n"));

    const TRunResult install = Run(setup, "--silent --ides=all \"--dir=" + InstallDir() + "\"");
    EXPECT_EQ(install.exitCode, ecDone) << install.errors;
    EXPECT_FALSE(install.showedWindow);
    EXPECT_THAT(install.errors, IsEmpty());
    EXPECT_EQ(FirstDifference(State(), byWizard), "");
    EXPECT_EQ(FirstDifference(LogTexts(), wizardLog), "");
    std::string setupLog, printed;
    for (const std::string& line : SetupLog().value_or(std::vector<std::string>{}))
        setupLog += line + "\r\n";
    for (const std::string& line : TextLines(install.output))
        if (!StartsText("step ", line))
            printed += line + "\r\n";
    EXPECT_TRUE(printed == setupLog);
    EXPECT_THAT(install.output, HasSubstr("step 0 of "));
}

TEST_F(SilentTest, AnAutomaticUpdateTakesOnlyTheIdesThatHadTheProductAndMaintenanceSetsANewSet)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& rad2007 = AddIde(Ide::Rad2007);
    const auto rad2007Before = UserKey(rad2007);
    const std::string dir = "\"--dir=" + InstallDir() + "\"";
    ASSERT_EQ(Run(MakePackage("Old Setup", kOlderVersion), "--silent --ides=Delphi7 " + dir).exitCode, ecDone);

    const std::string setup = MakePackage("New Setup");
    const TRunResult update = Run(setup, "--silent --autoupdate");
    EXPECT_EQ(update.exitCode, ecDone) << update.errors;
    EXPECT_EQ(ProductKey().at("INSTALLEDVERSION"), std::string("s:") + kVersion);
    EXPECT_THAT(update.output, HasSubstr("Uninstall from IDE:" + DisplayName(delphi7)));
    EXPECT_TRUE(UserKey(rad2007) == rad2007Before);
    EXPECT_THAT(SetupLog().value_or(std::vector<std::string>{}),
                Contains(HasSubstr("Compiling for:" + DisplayName(delphi7))));
    EXPECT_THAT(SetupLog().value_or(std::vector<std::string>{}),
                ::testing::Not(Contains(HasSubstr("Compiling for:" + DisplayName(rad2007)))));

    const TRunResult maintenance = Run(setup, "--silent --ides=Delphi2007");
    EXPECT_EQ(maintenance.exitCode, ecDone) << maintenance.errors;
    EXPECT_THAT(SetupLog().value_or(std::vector<std::string>{}),
                AllOf(Contains(HasSubstr("Uninstall from IDE:" + DisplayName(delphi7))),
                      Contains(HasSubstr("Compiling for:" + DisplayName(rad2007)))));
    EXPECT_EQ(ProductKey().count(UpperCase(DisplayName(delphi7)) + "\\INSTALLED"), 0u);
    EXPECT_EQ(ProductKey().at(UpperCase(DisplayName(rad2007)) + "\\INSTALLED"), "i:1");
}

TEST_F(SilentTest, RefusalsChangeNothingAndSayWhyOnStandardError)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const std::string setup = MakePackage("Corvalis Setup");
    const std::vector<std::string> before = State();
    const std::string running = DisplayName(delphi7) + " IDE is running. Please close it before continue.";
    TChildProgram ide("\"" + delphi7.AppFile() + "\" /timeout:600000");
    uidriver::WaitUntil([&] { return ide.Running(); }, "the IDE to start");
    const struct {
        const char* arguments;
        std::string reason;
    } refusals[] = {
        {"--silent", running},
        {"--silent --ides=Delphi2010", "Unknown IDE \"Delphi2010\": the IDEs found are Delphi7."},
        {"--silent --uninstall", "Corvalis is not installed: there is nothing to uninstall."},
        {"--silent --autoupdate --ignore-ide", "Corvalis is not installed: there is nothing to update."},
        {"--silent --dir=Corvalis", "The installation folder must be a full path, such as "
                                    "C:\\Program Files\\Halvorn\\Corvalis: Corvalis"},
    };
    for (const auto& refusal : refusals) {
        const TRunResult result = Run(setup, refusal.arguments);
        EXPECT_EQ(result.exitCode, ecRefused) << refusal.arguments;
        EXPECT_EQ(result.errors, refusal.reason + "\r\n") << refusal.arguments;
        EXPECT_TRUE(result.output.empty()) << result.output.substr(0, 300);
        EXPECT_FALSE(result.showedWindow);
        EXPECT_EQ(FirstDifference(State(), before), "");
    }
    const TRunResult ignored = Run(setup, "--silent --ignore-ide \"--dir=" + InstallDir() + "\"");
    EXPECT_EQ(ignored.exitCode, ecDone) << ignored.errors;
    EXPECT_THAT(ignored.output, HasSubstr(", Warning]" + running));
}

TEST_F(SilentTest, TheListingNamesEachIdeAsTheCommandLineDoes)
{
    AddIde(Ide::Delphi7);
    AddIde(IdeFixture(Ide::Delphi6).WithoutCompiler());
    const TRunResult listing = Run(MakePackage("Corvalis Setup"), "--list-ides");
    EXPECT_EQ(listing.exitCode, ecDone);
    EXPECT_EQ(listing.output, "Delphi6       not installed  " + DisplayName(test.Ides()[1]) +
                                  ": This IDE version has no dcc32.exe compiler. Please reinstall your IDE in order "
                                  "to fix this problem.\r\nDelphi7       not installed  " +
                                  DisplayName(test.Ides()[0]) + "\r\n");
    EXPECT_FALSE(listing.showedWindow);
}

TEST_F(SilentTest, AnAutomaticUpdateWithWindowsShowsTheRunAndClosesByItself)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    AddIde(Ide::Rad2007);
    ASSERT_EQ(
        Run(MakePackage("Old Setup", kOlderVersion), "--silent --ides=Delphi7 \"--dir=" + InstallDir() + "\"").exitCode,
        ecDone);
    TWizardSession wizard(MakePackage("New Setup"), "--autoupdate");
    EXPECT_EQ(wizard.WaitForExit(kRunTimeout), DWORD(ecDone));
    EXPECT_EQ(ProductKey().at("INSTALLEDVERSION"), std::string("s:") + kVersion);
    EXPECT_THAT(SetupLog().value_or(std::vector<std::string>{}),
                Contains(HasSubstr("Compiling for:" + DisplayName(delphi7))));
}

} // namespace
} // namespace corvalis::e2e
