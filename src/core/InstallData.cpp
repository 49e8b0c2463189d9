#include "core/InstallData.h"

#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "platform/Exceptions.h"

namespace corvalis {
namespace {

const char* const kDefaultStartFolder = "Halvorn\\Corvalis VCL Edition";

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

    if (!ProductInstalled)
        Mode = imInstall;
    else
        Mode = InstalledVersion->DisplayText() == PackageVersion->DisplayText() ? imMaintenance : imUpdate;
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
    RecordedStartFolder = key->ReadString("StartFolder");
    InstalledVersion = std::make_unique<TVersion>(Trim(key->ReadString("InstalledVersion")));
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
    if (!ProductInstalled) {
        platform_.registry.DeleteKey(RootKey::LocalMachine, ProductKey);
        return;
    }
    // Without administrator rights the key cannot be created: nothing is recorded then.
    auto key = platform_.registry.OpenKey(RootKey::LocalMachine, ProductKey, KeyAccess::WriteCreate);
    if (!key)
        return;
    key->WriteString("InstallDir", InstallDir);
    key->WriteString("StartFolder", StartFolder);
    key->WriteString("InstalledVersion", PackageVersion->DisplayText());
    key->WriteInteger("CompilationMode", CompilationMode);
    key->WriteBool("Visit Web", VisitWeb);
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
