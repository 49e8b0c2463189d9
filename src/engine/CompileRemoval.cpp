#include "engine/Compile.h"

#include "core/InstallData.h"
#include "core/MetadataProviders.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"

// Taking the product out of an IDE: its packages from the package lists and from where the
// IDE or Windows would load them, its folders from the paths, its state from the registry.

namespace corvalis {

void TCompiler::UninstallFromIdes()
{
    FLog.LogInfo("Uninstall from IDEs...");
    TTargetOptionsList& targets = *installData_.TargetOptions;
    std::vector<TIdeJob> jobs;
    for (int i = 0; i < targets.Count(); ++i)
        if (targets[i].Installed)
            jobs.push_back({&targets[i], 1});
    ForEachIde(jobs, [update = installData_.Mode == imUpdate](TCompiler& lane, TTargetOptions& options) {
        if (!lane.SaveSettings(options))
            return;
        options.BeginChange(taRemove);
        lane.UninstallFromIde(options);
        // An update puts the product back into the IDE: until it has, the IDE is recorded as
        // waiting for it, so that a run that stops before then is not read as one that took
        // the IDE out.
        if (update && options.Action == taInstall)
            options.BeginChange(taInstall);
        else
            options.EndChange();
    });
}

void TCompiler::UninstallFromIde(TTargetOptions& options)
{
    TCompileTarget& target = options.Target;
    const TMetadataProvidersList& providers = *installData_.Providers;
    FLog.LogInfo("Uninstall from IDE:" + target.DisplayName());
    if (installData_.WithSources)
        DeleteFiles(options.OutputDir(), true, {".obj", ".dcu"});
    for (int i = providers.Count() - 1; i >= 0; --i) {
        FLog.LogInfo("Uninstalling " + providers[i].Description);
        providers[i].UninstallFrom(*this, options);
    }
    UninstallPackage(options, "CorvalisDsgn");
    UninstallPackage(options, "Corvalis");
    DeleteHppFiles(options);
    RemoveSearchPath(options);
    RemoveBrowsingPath(options);
    target.SavePaths();
    target.SavePackageLists();
    options.Installed = false;
    options.Save();
    FLog.LogInfo("Uninstall from IDE:" + target.DisplayName() + " completed");
    FLog.LogInfo("");
}

int TCompiler::FindPackageIndex(const TDelphiPackageList& packages, const std::string& fileName)
{
    for (int i = 0; i < packages.Count(); ++i)
        if (SameText(packages[i].Name(), fileName))
            return i;
    return -1;
}

void TCompiler::UninstallPackage(TTargetOptions& options, const std::string& stem)
{
    TCompileTarget& target = options.Target;
    IFileSystem& files = platform_.files;
    const std::string bpl = ChangeFileExt(PackageFileName(stem, target), ".bpl");
    FLog.LogDebug("Uninstalling package: " + bpl);
    const std::pair<const char*, TDelphiPackageList*> lists[] = {{"Disabled Packages", &target.DisabledPackages},
                                                                 {"Known Packages", &target.KnownPackages},
                                                                 {"Known IDE Packages", &target.KnownIdePackages},
                                                                 {kDisabledPackagesX64, &target.DisabledPackagesX64},
                                                                 {kKnownPackagesX64, &target.KnownPackagesX64}};
    for (const auto& [name, packages] : lists) {
        const int index = FindPackageIndex(*packages, bpl);
        if (index < 0)
            continue;
        FLog.LogDebug(std::string("  removing from ") + name + ": " + (*packages)[index].FileName);
        packages->Delete(index);
    }

    FLog.LogDebug(" searching in PATH: " + bpl);
    const std::vector<std::string> notHolding = RemoveFromPathFolders(bpl);
    const auto remove = [&](const std::string& folder, const char* extension) {
        const std::string candidate = folder + "\\" + ChangeFileExt(bpl, extension);
        if (files.FileExists(candidate)) {
            FLog.LogDebug("  remove file: " + candidate);
            files.DeleteFile(candidate);
        }
    };
    for (const TPlatform platform : target.Platforms()) {
        for (const std::string& folder : target.Library(platform).PackageSearchPaths) {
            const std::string candidate = IncludeTrailingPathDelimiter(folder) + bpl;
            if (files.FileExists(candidate)) {
                FLog.LogDebug("  remove file: " + candidate);
                files.Recycle(candidate);
            }
        }
        remove(target.BplDir(platform), ".bpl");
        for (const char* extension : PlatformFacts(platform).DcpFolderExtensions)
            remove(target.DcpDir(platform), extension);
    }
    remove(installData_.PackagesDir(), ".mak");
    // Where the runtime package was copied, whether or not PATH names it. Not looked at again
    // when PATH's search found it missing there, as nothing since could have put it there:
    // under Wine each look for a missing file reads the whole folder.
    const std::string system = ExcludeTrailingPathDelimiter(files.SystemDirectory());
    if (!ContainsText(notHolding, system))
        remove(system, ".bpl");
}

std::vector<std::string> TCompiler::RemoveFromPathFolders(const std::string& fileName)
{
    const std::string path = platform_.processes.GetEnv("PATH").value_or("");
    std::vector<std::string> notHolding;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find(';', start), path.size());
        std::string folder = path.substr(start, end - start);
        start = end + 1;
        if (folder.size() >= 3 && folder.front() == '"')
            folder = folder.substr(1, folder.size() - 2);
        const std::string candidate = IncludeTrailingPathDelimiter(folder) + fileName;
        if (!platform_.files.FileExists(candidate)) {
            notHolding.push_back(ExcludeTrailingPathDelimiter(folder));
            continue;
        }
        FLog.LogDebug("  remove file: " + candidate);
        platform_.files.Recycle(candidate);
    }
    return notHolding;
}

} // namespace corvalis
