#include "core/InstallData.h"

#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "platform/Exceptions.h"

namespace corvalis {
namespace {

const char* const kDefaultStartFolder = "Halvorn\\Corvalis VCL Edition";

// The names the run record gives the modes, and what the next run calls them.
constexpr std::pair<const char*, const char*> kRunNames[] = {
    {"Install", "an installation"}, {"Update", "an update"}, {"Maintenance", "a change of the IDEs"},
    {"Uninstall", "an uninstall"}};

} // namespace

TInstallData::TInstallData(const Platform& platform, TCmdOptions& options, TShowMessage showMessage)
    : Options(options), platform_(platform)
{
    IFileSystem& files = platform_.files;
    ProgramsFolder = platform_.shell.FolderPath(SpecialFolder::Programs).value_or("");
    if (!ProgramsFolder.empty())
        for (const DirEntry& entry : files.Enumerate(ProgramsFolder))
            if (entry.directory && !entry.hidden)
                StartMenuGroups.push_back(entry.name);
    CompilationMode = cmStandard;
    VisitWeb = true;
    LoadFromRegistry();
    if (StartFolder.empty())
        StartFolder = kDefaultStartFolder;
    WithSources = files.FileExists("withsrcs");
    HasConnectivity = files.FileExists("metapvds");

    if (!files.FileExists("version")) {
        const std::string message = "File not exists:\"version\". Invalid installer package.";
        if (showMessage)
            showMessage(message);
        throw Exception(message);
    }
    const std::optional<std::string> version = files.ReadFile("version");
    PackageVersion = std::make_unique<TVersion>(Trim(version.value_or("")));

    if (InstallDir.empty()) {
        std::string programFiles =
            platform_.shell.FolderPath(SpecialFolder::ProgramFiles).value_or("C:\\Program files");
        programFiles = programFiles.substr(0, programFiles.find('\0'));
        InstallDir = IncludeTrailingPathDelimiter(programFiles) + "Halvorn\\Corvalis";
    }

    Targets = std::make_unique<TCompileTargetList>(platform_, options);
    Providers = std::make_unique<TMetadataProvidersList>(*this);
    TargetOptions = std::make_unique<TTargetOptionsList>(*Targets, *this, platform_);

    // A product whose files are not whole, as a run that stopped while it extracted or removed
    // them leaves it, is updated: its files are removed and extracted again. A first
    // installation that stopped is made again, over the files it extracted.
    if (!ProductInstalled || (!InstalledVersion && InterruptedRun == kRunNames[imInstall].first))
        Mode = imInstall;
    else if (InstalledVersion && InstalledVersion->DisplayText() == PackageVersion->DisplayText())
        Mode = imMaintenance;
    else
        Mode = imUpdate;
    if (const auto message = InterruptedRunMessage())
        RunWarnings.push_back(*message);
    if (!WithSources)
        CompilationMode = cmStandard;
}

TInstallData::~TInstallData() = default;

void TInstallData::LoadFromRegistry()
{
    auto key = platform_.registry.OpenKey(RootKey::LocalMachine, ProductKey, KeyAccess::Read);
    if (!key) {
        ProductInstalled = false;
        return;
    }
    InstallDir = key->ReadString("InstallDir");
    RecordedInstallDir = InstallDir;
    RecordedStartFolder = key->ReadString("StartFolder");
    // None while the product's files are not whole.
    const std::string installedVersion = Trim(key->ReadString("InstalledVersion"));
    if (!installedVersion.empty())
        InstalledVersion = std::make_unique<TVersion>(installedVersion);
    InterruptedRun = key->ReadString("Run");
    InterruptedVersion = key->ReadString("Run Version");
    ProductInstalled = !InstallDir.empty();
    VisitWeb = key->ValueExists("Visit Web") ? key->ReadBool("Visit Web") : true;
    if (key->ValueExists("CompilationMode"))
        CompilationMode = static_cast<TCompilationMode>(key->ReadInteger("CompilationMode"));
    if (!ProductInstalled) {
        InstallDir.clear();
        InstalledVersion.reset();
    }
}

void TInstallData::SaveToRegistry()
{
    // Without administrator rights the key cannot be created: nothing is recorded then.
    auto key = platform_.registry.OpenKey(RootKey::LocalMachine, ProductKey, KeyAccess::WriteCreate);
    if (!key)
        return;
    key->WriteString("InstallDir", InstallDir);
    key->WriteString("StartFolder", StartFolder);
    key->WriteString("InstalledVersion", PackageVersion->DisplayText());
    key->WriteInteger("CompilationMode", CompilationMode);
    key->WriteBool("Visit Web", VisitWeb);
    key->Flush();
}

void TInstallData::RecordRunStart()
{
    auto key = platform_.registry.OpenKey(RootKey::LocalMachine, ProductKey, KeyAccess::WriteCreate);
    if (!key)
        return;
    // The folder first: from then on an uninstall finds what the run makes.
    key->WriteString("InstallDir", InstallDir);
    key->WriteString("Run", kRunNames[Mode].first);
    key->WriteString("Run Version", PackageVersion->DisplayText());
    key->WriteString("StartFolder", StartFolder);
    key->WriteInteger("CompilationMode", CompilationMode);
    key->WriteBool("Visit Web", VisitWeb);
    key->Flush();
}

void TInstallData::RecordFilesRemoved()
{
    if (auto key = platform_.registry.OpenKey(RootKey::LocalMachine, ProductKey, KeyAccess::Write)) {
        key->DeleteValue("InstalledVersion");
        key->Flush();
    }
}

void TInstallData::RecordRunEnd()
{
    if (!ProductInstalled) {
        platform_.registry.DeleteKey(RootKey::LocalMachine, ProductKey);
        FlushKey(platform_.registry, RootKey::LocalMachine, ExtractFileDir(ProductKey));
        return;
    }
    if (auto key = platform_.registry.OpenKey(RootKey::LocalMachine, ProductKey, KeyAccess::Write)) {
        key->DeleteValue("Run");
        key->DeleteValue("Run Version");
        key->Flush();
    }
}

std::optional<std::string> TInstallData::InterruptedRunMessage() const
{
    if (InterruptedRun.empty())
        return std::nullopt;
    std::string run = "a run";
    for (const auto& [name, text] : kRunNames)
        if (InterruptedRun == name)
            run = text;
    return "The last run of the installer, " + run + " of Corvalis " + InterruptedVersion + " in " + InstallDir +
           ", did not end. This run completes what it left undone; an uninstall removes what it made.";
}

std::string TInstallData::PackagesDir() const
{
    return IncludeTrailingPathDelimiter(InstallDir) + "Packages";
}

std::string TInstallData::SourcesDir() const
{
    return IncludeTrailingPathDelimiter(InstallDir) + "Sources";
}

std::string TInstallData::StartMenuFolder() const
{
    return IncludeTrailingPathDelimiter(ProgramsFolder) + StartFolder;
}

} // namespace corvalis
