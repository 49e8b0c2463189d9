#include "ide/TargetOptions.h"

#include <algorithm>

#include "core/InstallData.h"
#include "ide/DelphiData.h"
#include "ide/Utils.h"
#include "log/uLogger.h"

namespace corvalis {
namespace {

// The value that records a change under way, and its two changes.
constexpr const char* kPendingAction = "Pending Action";
constexpr const char* kPendingInstall = "Install";
constexpr const char* kPendingRemove = "Remove";

bool Contains(const std::vector<const TMetadataProvider*>& list, const TMetadataProvider& provider)
{
    return std::find(list.begin(), list.end(), &provider) != list.end();
}

void AddOnce(std::vector<const TMetadataProvider*>& list, const TMetadataProvider& provider)
{
    if (!Contains(list, provider))
        list.push_back(&provider);
}

void RemoveFirst(std::vector<const TMetadataProvider*>& list, const TMetadataProvider& provider)
{
    auto it = std::find(list.begin(), list.end(), &provider);
    if (it != list.end())
        list.erase(it);
}

std::vector<std::string> FileNames(const TDelphiPackageList& packages)
{
    std::vector<std::string> names;
    for (const TDelphiPackage& package : packages)
        names.push_back(package.FileName);
    return names;
}

} // namespace

TTargetOptions::TTargetOptions(TCompileTarget& target, TInstallData& installData, const Platform& platform)
    : InstallData(installData), Target(target), platform_(platform)
{
    CompilePackages = InstallData.WithSources;
    Action = taLeaveUnchanged;
    if (Load())
        return;
    Installed = false;
    IdeRegistration = true;
    for (const auto& provider : *InstallData.Providers)
        if (provider->IsAvailable(Target) && (provider->BuiltIn || InstallData.HasConnectivity))
            AddSelectedProvider(*provider);
    AddSourceLocation = InstallData.WithSources;
}

std::string TTargetOptions::TargetKey() const
{
    return std::string(ProductKey) + "\\" + Target.DisplayName();
}

bool TTargetOptions::Load()
{
    auto key = platform_.registry.OpenKey(RootKey::LocalMachine, TargetKey(), KeyAccess::Read);
    if (!key)
        return false;
    const std::string pending = key->ReadString(kPendingAction);
    if (pending == kPendingInstall)
        PendingAction = taInstall;
    else if (pending == kPendingRemove)
        PendingAction = taRemove;
    else if (!key->ValueExists("Installed"))
        return false; // made by a run that stopped before it wrote anything in it
    // A record of a change under way holds what the run wrote of it before it stopped; the
    // rest takes the defaults. Any other record is whole.
    const auto flag = [&](const char* name, bool fallback) {
        return PendingAction && !key->ValueExists(name) ? fallback : key->ReadBool(name);
    };
    Installed = flag("Installed", true);
    IdeRegistration = flag("IDE Registration", true);
    for (const auto& provider : *InstallData.Providers) {
        if (!provider->IsAvailable(Target))
            continue;
        if (!provider->BuiltIn && !key->ValueExists(provider->Caption)) {
            AddSelectedProvider(*provider);
        } else if (!provider->BuiltIn && !key->ReadBool(provider->Caption)) {
            RemoveInstalledProvider(*provider);
            RemoveSelectedProvider(*provider);
        } else {
            AddInstalledProvider(*provider);
            AddSelectedProvider(*provider);
        }
    }
    AddSourceLocation = InstallData.WithSources && flag("Add Source Location", true);
    return true;
}

void TTargetOptions::Save()
{
    if (!Installed && !PendingAction) {
        platform_.registry.DeleteKey(RootKey::LocalMachine, TargetKey());
        return;
    }
    auto key = platform_.registry.OpenKey(RootKey::LocalMachine, TargetKey(), KeyAccess::WriteCreate);
    if (!key)
        return;
    // The mark of a change goes first and is taken away last, so that a record without it is
    // whole. An IDE under change counts as installed, so that an uninstall takes away what it
    // holds; its connectivity packages are those chosen, not those built so far.
    if (PendingAction)
        key->WriteString(kPendingAction, *PendingAction == taInstall ? kPendingInstall : kPendingRemove);
    key->WriteBool("Installed", Installed || PendingAction);
    key->WriteString("BPLDir", OutputDir());
    key->WriteString("DCPDir", OutputDir());
    key->WriteBool("IDE Registration", IdeRegistration);
    for (const auto& provider : *InstallData.Providers)
        if (!provider->BuiltIn)
            key->WriteBool(provider->Caption,
                           PendingAction ? IsProviderSelected(*provider) : IsProviderInstalled(*provider));
    key->WriteBool("Add Source Location", AddSourceLocation);
    key->WriteBool("Compile Packages", CompilePackages);
    if (!PendingAction)
        key->DeleteValue(kPendingAction);
}

void TTargetOptions::BeginChange(TTargetAction action)
{
    PendingAction = action;
    Save();
    FlushKey(platform_.registry, RootKey::LocalMachine, TargetKey());
}

void TTargetOptions::EndChange()
{
    PendingAction.reset();
    Save();
    FlushKey(platform_.registry, RootKey::LocalMachine, ProductKey);
}

std::string ProductFolderName(const TCompileTarget& target)
{
    const std::string family = target.BuildsCppProjects() ? "CBuilder" : "Delphi";
    return family + (target.IsBDS() ? IdeVersionNames(target.VersionNumber) : std::to_string(target.VersionNumber));
}

std::string TTargetOptions::OutputDir() const
{
    return PathJoin(InstallData.InstallDir, ProductFolderName(Target));
}

std::string TTargetOptions::OutputDir(TPlatform platform) const
{
    if (Target.Platforms().size() == 1)
        return OutputDir();
    return OutputDir() + "\\" + PlatformFacts(platform).Name;
}

std::string TTargetOptions::UnitOutputDir(TPlatform platform) const
{
    return Target.BuildsCppProjects() ? OutputDir() + "\\obj" : OutputDir(platform);
}

std::string TTargetOptions::PackageSourceDir() const
{
    static const char* const kModeSuffixes[] = {"", "_Tnt", "_TMS", "_DevExpress"};
    const std::string suffix =
        InstallData.CompilationMode <= cmDevExpress ? kModeSuffixes[InstallData.CompilationMode] : "";
    return InstallData.PackagesDir() + suffix + "\\" + (Target.BuildsCppProjects() ? "CBuilder" : "Delphi") +
           IdeVersionNames(Target.VersionNumber);
}

std::string TTargetOptions::VclIncludeDir() const
{
    return Target.RootDir + "\\Include\\Vcl";
}

std::string TTargetOptions::Bpr2MakFile() const
{
    return Target.RootDir + "\\Bin\\bpr2mak.exe";
}

bool TTargetOptions::HasDcc32() const
{
    return platform_.files.FileExists(Target.Dcc32File());
}

std::vector<TPlatform> TTargetOptions::BuildPlatforms() const
{
    std::vector<TPlatform> platforms;
    for (const TPlatform platform : Target.Platforms())
        if (platform == pfWin32 || platform_.files.FileExists(Target.CompilerFile(platform)))
            platforms.push_back(platform);
    return platforms;
}

std::vector<TPlatform> TTargetOptions::PackagePlatforms(bool designTime) const
{
    std::vector<TPlatform> platforms = BuildPlatforms();
    if (designTime && !Target.Has64BitIde())
        std::erase(platforms, pfWin64);
    return platforms;
}

bool TTargetOptions::IsIdeRunning() const
{
    return corvalis::IsIdeRunning(platform_, Target);
}

bool IsIdeRunning(const Platform& platform, const TCompileTarget& target)
{
    const ILocale& locale = platform.locale;
    const auto processes = platform.processes.ProcessSnapshot();
    if (!processes)
        return false;
    // The IDE, and its 64-bit IDE where it has one.
    std::vector<std::string> ides = {target.AppFile};
    if (target.Has64BitIde())
        ides.push_back(target.Ide64File());
    for (const ProcessEntry& process : *processes) {
        // Another IDE version may run an executable of the same name from its own folder.
        for (const std::string& ide : ides) {
            if (!locale.SameText(process.exeFile, ExtractFileName(ide)))
                continue;
            const auto modules = platform.processes.ModuleSnapshot(process.id);
            if (modules && std::any_of(modules->begin(), modules->end(),
                                       [&](const std::string& module) { return locale.SameText(module, ide); }))
                return true;
        }
    }
    return false;
}

std::string TTargetOptions::IdeFileVersion() const
{
    if (Target.Version() == nullptr)
        return {};
    const std::string file =
        IncludeTrailingPathDelimiter(Target.RootDir) + "bin\\coreide" + Target.Version()->ResourceSuffix + ".bpl";
    if (!platform_.files.FileExists(file))
        return {};
    const auto version = platform_.files.FileVersion(file);
    if (!version)
        return {};
    if (!version->fileVersion.empty())
        return version->fileVersion;
    const auto& n = version->fixed;
    return std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]) + "." + std::to_string(n[3]);
}

bool TTargetOptions::HasDatabaseSupport() const
{
    return Target.FindPackageByPrefix("dcldb") != nullptr;
}

bool TTargetOptions::IsTurboEdition() const
{
    return platform_.locale.UpperCase(Target.Edition).rfind("TURBO", 0) == 0;
}

bool TTargetOptions::ModePrerequisitesInstalled() const
{
    static const std::vector<std::vector<const char*>> kRequired = {
        {},
        {"TntUnicodeVcl"},
        {"TMSUnicode"},
        {"dclcxLibrary", "dclcxPageControl", "dclcxEditors", "dclcxExtEditors", "dclcxTreeList"},
    };
    if (InstallData.CompilationMode > cmDevExpress)
        return true;
    const auto& packages = kRequired[InstallData.CompilationMode];
    return std::all_of(packages.begin(), packages.end(),
                       [&](const char* prefix) { return Target.FindPackageByPrefix(prefix) != nullptr; });
}

bool TTargetOptions::CanCompileProvider(const TMetadataProvider& provider) const
{
    return provider.IsAvailable(Target) && (provider.BuiltIn || (InstallData.HasConnectivity && HasDcc32()));
}

bool TTargetOptions::IsProviderInstalled(const TMetadataProvider& provider) const
{
    return Contains(InstalledProviders, provider);
}

bool TTargetOptions::IsProviderSelected(const TMetadataProvider& provider) const
{
    return Contains(SelectedProviders, provider);
}

void TTargetOptions::AddInstalledProvider(const TMetadataProvider& provider)
{
    AddOnce(InstalledProviders, provider);
}

void TTargetOptions::AddSelectedProvider(const TMetadataProvider& provider)
{
    AddOnce(SelectedProviders, provider);
}

void TTargetOptions::RemoveInstalledProvider(const TMetadataProvider& provider)
{
    RemoveFirst(InstalledProviders, provider);
}

void TTargetOptions::RemoveSelectedProvider(const TMetadataProvider& provider)
{
    RemoveFirst(SelectedProviders, provider);
}

void TTargetOptions::DumpIdeSettings(TLogBase& log) const
{
    log.LogDebug("Begin of Settings of IDE: " + Target.DisplayName());
    log.LogDebug("");
    log.LogDebug("Search paths:");
    log.LogStrings(llDebug, Target.SearchPaths);
    log.LogDebug("");
    log.LogDebug("Browsing paths:");
    log.LogStrings(llDebug, Target.BrowsingPaths);
    if (Target.IsBDS() && Target.SupportsPersonalities(psBCB, false)) {
        log.LogDebug("");
        log.LogDebug("Global Cpp Search paths:");
        log.LogStrings(llDebug, Target.CppSearchPaths);
    }
    const std::pair<const char*, const TDelphiPackageList*> lists[] = {{"Known Packages", &Target.KnownPackages},
                                                                       {"Known IDE Packages", &Target.KnownIdePackages},
                                                                       {"Disabled Packages", &Target.DisabledPackages}};
    for (const auto& [name, packages] : lists) {
        log.LogDebug(std::string("=== Begin of ") + name);
        log.LogStrings(llDebug, FileNames(*packages));
        log.LogDebug(std::string("=== End of ") + name);
    }
    // The other platforms' paths and the 64-bit IDE's packages, where the IDE has them.
    for (const TPlatform platform : Target.Platforms()) {
        if (platform == pfWin32)
            continue;
        const std::string name = PlatformFacts(platform).Name;
        log.LogDebug("Search paths (" + name + "):");
        log.LogStrings(llDebug, Target.Library(platform).SearchPaths);
        log.LogDebug("Browsing paths (" + name + "):");
        log.LogStrings(llDebug, Target.Library(platform).BrowsingPaths);
    }
    if (Target.Has64BitIde()) {
        log.LogDebug(std::string("=== Begin of ") + kKnownPackagesX64);
        log.LogStrings(llDebug, FileNames(Target.KnownPackagesX64));
        log.LogDebug(std::string("=== End of ") + kKnownPackagesX64);
    }
    log.LogDebug("End of Settings of IDE: " + Target.DisplayName());
}

TTargetOptionsList::TTargetOptionsList(TCompileTargetList& targets, TInstallData& installData, const Platform& platform)
    : installData_(installData)
{
    for (int i = 0; i < targets.Count(); ++i)
        items_.push_back(std::make_unique<TTargetOptions>(targets[i], installData, platform));
}

bool TTargetOptionsList::HasWork() const
{
    return installData_.Mode == imUpdate || std::any_of(items_.begin(), items_.end(), [](const auto& options) {
               return options->Action != taLeaveUnchanged;
           });
}

int TTargetOptionsList::InstallCount() const
{
    return static_cast<int>(
        std::count_if(items_.begin(), items_.end(), [](const auto& options) { return options->Action == taInstall; }));
}

} // namespace corvalis
