#include "E2eTest.h"

#include <algorithm>
#include <chrono>

#include "core/InstallData.h"
#include "driver/Capture.h"
#include "engine/RegistryExport.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/Utils.h"
#include "platform/TextEncoding.h"

namespace corvalis::e2e {

std::string E2eTest::MakePackage(const std::string& folderName, const std::string& version, bool withSources,
                                 bool withConnectivity)
{
    return test.MakePackage(folderName, {version, withSources, withConnectivity}) + "\\setup.exe";
}

void E2eTest::InstallThroughWizard(const std::string& setup, const TPageStep& onIdePage, const TPageStep& onConfigPage)
{
    TWizardSession wizard(setup);
    wizard.ToIdePage(InstallDir());
    if (onIdePage)
        onIdePage(wizard);
    wizard.Next("wConfigPage");
    if (onConfigPage)
        onConfigPage(wizard);
    wizard.RunToFinish();
    wizard.Finish();
}

// The output goes through files of the test's folder, so that Wine's helper processes
// cannot keep a pipe open.
TRunResult E2eTest::Run(const std::string& setup, const std::string& arguments)
{
    const std::string output = test.Root() + "\\stdout.txt", errors = test.Root() + "\\stderr.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const auto open = [&](const std::string& path, DWORD access, DWORD disposition) {
        return win32::ScopedKernelHandle(
            ::CreateFileA(path.c_str(), access, FILE_SHARE_READ, &inherit, disposition, 0, nullptr));
    };
    TRunResult result{};
    {
        win32::ScopedKernelHandle out = open(output, GENERIC_WRITE, CREATE_ALWAYS),
                                  err = open(errors, GENERIC_WRITE, CREATE_ALWAYS),
                                  in = open("NUL", GENERIC_READ, OPEN_EXISTING);
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
            const auto windows = uidriver::TopLevelWindows(process.dwProcessId);
            result.showedWindow |= std::any_of(windows.begin(), windows.end(), uidriver::IsVisible);
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

testing::RegistrySnapshot E2eTest::ProductKey()
{
    return testing::SnapshotKey(machine.registry, RootKey::LocalMachine, corvalis::ProductKey);
}

testing::RegistrySnapshot E2eTest::UserKey(const testing::IdeFixture& ide)
{
    return testing::SnapshotKey(machine.registry, RootKey::CurrentUser, ide.UserKey());
}

bool E2eTest::Registered(const testing::IdeFixture& ide, const std::string& file)
{
    return UserKey(ide).count("KNOWN PACKAGES\\" + UpperCase(InstallDir() + "\\" + file)) == 1;
}

std::vector<std::string> E2eTest::IdeSettings()
{
    std::vector<std::string> settings;
    for (const testing::IdeFixture& ide : test.Ides()) {
        // Byte for byte, names as they are, in the registry's order.
        const std::string file = FormatRegFile(ExportKey(machine.registry, RootKey::CurrentUser, ide.UserKey()));
        settings.push_back(Utf16ToUtf8(Utf16FromBytes(file, false)));
        if (ide.IsBds())
            settings.push_back(machine.files.ReadFile(ide.EnvOptionsFile(machine.platform)).value_or(""));
    }
    return settings;
}

std::optional<std::vector<std::string>> E2eTest::SetupLog()
{
    std::optional<std::string> content = machine.files.ReadFile(InstallDir() + "\\setup.log");
    if (!content)
        return std::nullopt;
    const std::string bom = "\xEF\xBB\xBF";
    content = content->starts_with(bom) ? content->substr(bom.size()) : machine.locale.AnsiToUtf8(*content);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = content->find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(content->substr(start, end - start));
    if (start != content->size())
        lines.push_back(content->substr(start) + " <not ended by CR LF>");
    return lines;
}

std::string E2eTest::DisplayName(const testing::IdeFixture& ide)
{
    // As the installer names the IDE: found as its discovery finds it.
    TCmdOptions options({}, machine.files, machine.console);
    const TCompileTargetList targets(machine.platform, options);
    for (int i = 0; i < targets.Count(); ++i)
        if (SameText(targets[i].RootDir, ide.RootDir()))
            return targets[i].DisplayName();
    throw uidriver::DriverError("no IDE found in " + ide.RootDir());
}

void E2eTest::RecordInstallation(const std::string& version, const std::vector<const testing::IdeFixture*>& ides)
{
    auto product = machine.registry.OpenKey(RootKey::LocalMachine, corvalis::ProductKey, KeyAccess::WriteCreate);
    product->WriteString("InstallDir", InstallDir());
    product->WriteString("StartFolder", "Halvorn\\Corvalis VCL Edition");
    product->WriteString("InstalledVersion", version);
    for (const testing::IdeFixture* ide : ides) {
        auto options = machine.registry.OpenKey(RootKey::LocalMachine,
                                                std::string(corvalis::ProductKey) + "\\" + DisplayName(*ide),
                                                KeyAccess::WriteCreate);
        for (const char* name : {"Installed", "IDE Registration", "Add Source Location", "Compile Packages"})
            options->WriteBool(name, true);
    }
}

HWND E2eTest::RowBox(TWizardSession& wizard, const testing::IdeFixture& ide)
{
    return wizard.Control("wIDEPage", "Button", DisplayName(ide).c_str());
}

E2eTest::TRow E2eTest::Row(TWizardSession& wizard, const testing::IdeFixture& ide)
{
    const HWND box = RowBox(wizard, ide);
    // The status label follows its box in the scroll box.
    const HWND label = ::GetWindow(box, GW_HWNDNEXT);
    return {uidriver::CheckState(box), uidriver::IsEnabled(box), uidriver::Text(label)};
}

void E2eTest::Screenshot(HWND window, const std::string& name)
{
    const auto folder = machine.processes.GetEnv("CORVALIS_SCREENSHOTS");
    if (!folder)
        return;
    // Above the windows other programs opened.
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    uidriver::SaveBitmap(uidriver::CaptureWindow(window), PathJoin(*folder, name + ".bmp"));
}

TScopedEnvironment::TScopedEnvironment(const std::string& name, const std::string& value) : name_(name)
{
    ::SetEnvironmentVariableA(name.c_str(), value.c_str());
}

TScopedEnvironment::~TScopedEnvironment()
{
    ::SetEnvironmentVariableA(name_.c_str(), nullptr);
}

} // namespace corvalis::e2e
