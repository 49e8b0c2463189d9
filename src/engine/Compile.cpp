#include "engine/Compile.h"

#include "core/InstallData.h"
#include "core/ShellIntegration.h"
#include "ide/Utils.h"
#include "platform/Exceptions.h"

namespace corvalis {
namespace {

// The extractor's exit codes 1 to 9.
constexpr const char* kExtractErrors[] = {
    "Non fatal error(s) occurred.",
    "A fatal error occurred.",
    "A CRC error occurred when unpacking.",
    "Attempt to modify an archive previously locked by the 'k' command.",
    "Write to disk error.",
    "Open file error.",
    "Command line option error.",
    "Not enough memory for operation.",
    "Create file error.",
};

} // namespace

std::optional<std::string> ExtractionProblem(const IFileSystem& files)
{
    for (const char* file : {"data.arc", "unrar.exe"})
        if (!files.FileExists(file))
            return std::string("File not exists:\"") + file + "\". Invalid installer package.";
    return std::nullopt;
}

TCompiler::TCompiler(const Platform& platform, TInstallData& installData)
    : platform_(platform), installData_(installData), FLog(platform.locale),
      backup_(std::make_shared<TIdeBackup>(platform)), progress_(std::in_place, installData)
{
}

TCompiler::TCompiler(const TCompiler& run, const Platform& platform)
    : platform_(platform), installData_(run.installData_), FLog(platform.locale), backup_(run.backup_)
{
}

void TCompiler::StepDone()
{
    if (progress_)
        progress_->StepDone();
    else
        ++laneSteps_;
}

int32_t TCompiler::RunProcess(const std::string& commandLine, const std::string& workingFolder)
{
    return corvalis::RunProcess(platform_.processes, platform_.locale, FLog, commandLine, workingFolder);
}

std::string WindowsName(const WindowsVersion& version)
{
    if (version.platformId == 1) {
        if (version.minor < 10)
            return "Windows 95";
        if (version.minor < 90)
            return "Windows 98";
        return version.minor == 90 ? "Windows ME" : "";
    }
    if (version.platformId == 2) {
        if (version.major == 4)
            return "Windows NT4";
        if (version.major == 5 && version.minor == 0)
            return "Windows 2000";
        if (version.major == 5 && version.minor == 1)
            return "Windows XP";
    }
    return {};
}

void TCompiler::InstallFiles()
{
    const std::string version = installData_.PackageVersion->DisplayText();
    FLog.LogDebug("Extracting files from installer package. Component version: " + version);
    const WindowsVersion windows = platform_.shell.RunningWindows();
    const std::string name = WindowsName(windows);
    FLog.LogInfo("Installing Corvalis v. " + version);
    if (!name.empty()) {
        FLog.LogInfo(name + " " + windows.servicePack + " (" + std::to_string(windows.major) + "." +
                     std::to_string(windows.minor) + "." + std::to_string(windows.build) + ")");
        FLog.LogInfo("");
    }
    if (installData_.Mode == imInstall || installData_.Mode == imUpdate)
        ExtractDistribution();
    FLog.LogInfo("Create Shortcuts in Start menu folder...");
    TShellIntegration shell(platform_, installData_);
    shell.CreateShortcuts();
    shell.WriteUninstallEntry();
    shell.CopyUninstallFiles();
    FLog.LogInfo("Completed");
    installData_.ProductInstalled = true;
    installData_.SaveToRegistry();
    StepDone();
}

void TCompiler::ExtractDistribution()
{
    if (const auto problem = ExtractionProblem(platform_.files))
        throw Exception(*problem);
    // Windows paths cannot hold one; in the quoted argument it would end the folder and
    // hand the rest to the extractor as switches of its own.
    if (installData_.InstallDir.find('"') != std::string::npos)
        throw Exception("The installation folder must not contain a double quote: " + installData_.InstallDir);
    FLog.LogInfo("Extracting component files...");
    const std::string commandLine = "unrar.exe x -c- -cfg- -dh -idp -o+ -r -y  data.arc *.* \"" +
                                    IncludeTrailingPathDelimiter(installData_.InstallDir) + "\"";
    FLog.LogDebug(commandLine);
    const int32_t result =
        RunProcess(commandLine, IncludeTrailingPathDelimiter(ExtractFileDir(platform_.processes.ExecutablePath())));
    if (result == 0) {
        installData_.ProductInstalled = true;
        FLog.LogInfo("Extracting completed...");
        return;
    }
    const auto code = static_cast<uint32_t>(result);
    const std::string reason = code >= 1 && code <= 9 ? kExtractErrors[code - 1] : "Unknown extract error.";
    installData_.ProductInstalled = false;
    throw Exception("Error extracting component files from archive.\r" + reason);
}

} // namespace corvalis
