#include "engine/Compile.h"

#include "core/InstallData.h"
#include "core/MetadataProviders.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "platform/Exceptions.h"

// Building the product's packages with each IDE's own tools and registering them.

namespace corvalis {
namespace {

const std::vector<std::string> kResourceExtensions = {".dfm", ".xfm", ".res", ".dcr"};
const std::vector<std::string> kObjectExtensions = {".obj", ".dcu"};

// Deletes a file when it goes out of scope, whatever happened meanwhile, unless it is kept
// for diagnosing the build.
class DeletedAtExit {
public:
    DeletedAtExit(IFileSystem& files, std::string path, bool keep) : files_(files), path_(std::move(path)), keep_(keep)
    {
    }
    DeletedAtExit(const DeletedAtExit&) = delete;
    DeletedAtExit& operator=(const DeletedAtExit&) = delete;
    ~DeletedAtExit()
    {
        if (!keep_ && files_.FileExists(path_))
            files_.DeleteFile(path_);
    }

private:
    IFileSystem& files_;
    std::string path_;
    bool keep_;
};

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// Each .hpp file of the IDE's output folder with the path of its copy in the IDE's VCL
// include folder; none for the IDEs whose C++ include path takes the output folders.
std::vector<std::pair<std::string, std::string>> HppCopies(IFileSystem& files, const TTargetOptions& options)
{
    if (options.Target.Layout().DelphiPackagesForCpp)
        return {};
    std::vector<FoundFile> headers;
    FindFiles(files, options.OutputDir(), "*.hpp", false, nullptr, headers);
    std::vector<std::pair<std::string, std::string>> copies;
    for (const FoundFile& header : headers)
        copies.emplace_back(header.path, PathJoin(options.VclIncludeDir(), ExtractFileName(header.path)));
    return copies;
}

} // namespace

std::vector<std::pair<std::string, std::string>> TCompiler::CompilerSwitches(const TTargetOptions& options,
                                                                             TPlatform platform)
{
    const TCompileTarget& target = options.Target;
    const std::string output = options.OutputDir(platform);
    const std::string unitOutput = options.UnitOutputDir(platform);
    std::string searchPath;
    for (const std::string& entry : target.Library(platform).SearchPaths) {
        const std::string expanded = target.ExpandDirMacros(entry, platform);
        searchPath += (searchPath.empty() ? "" : ";") + expanded;
    }
    const std::string packageFolders = target.BplDir(platform) + ";" + target.DcpDir(platform);
    std::string registeredBpl;
    if (auto library = platform_.registry.OpenKey(RootKey::CurrentUser, target.LibraryKey(platform), KeyAccess::Read))
        registeredBpl = library->ReadString("Package DPL Output");

    std::vector<std::pair<std::string, std::string>> switches;
    for (const std::string& folders : {output + ";" + unitOutput, searchPath, packageFolders, registeredBpl})
        for (const char* option : {"-U", "-I", "-R", "-O"})
            switches.emplace_back(option, folders);
    for (const char* option : {"-LE", "-LN", "-N0", "-N1", "-NH"})
        switches.emplace_back(option, output);
    switches.emplace_back("-N2", unitOutput);
    switches.emplace_back("-NO", unitOutput);
    switches.emplace_back("-NB", output);
    if (target.Layout().UnitScopes)
        switches.emplace_back("-NS", PlatformFacts(platform).UnitScopes);
    return switches;
}

void TCompiler::WriteCompilerConfig(const std::string& configFile, const TTargetOptions& options, TPlatform platform)
{
    const TCompileTarget& target = options.Target;
    std::string text = "-Q -B -H+ -W+";
    if (target.IsBDS() && (target.PersonalitySet() & psBCB))
        text += " -JL";
    text += "\r\n";
    for (const auto& [option, value] : CompilerSwitches(options, platform))
        text += option + "\"" + value + "\"\r\n";
    const std::optional<std::string> ansi = platform_.locale.Utf8ToAnsi(text);
    if (!ansi)
        throw Exception("The compiler configuration " + configFile + " cannot be written in the system code page");
    if (!platform_.files.WriteFile(configFile, *ansi))
        throw OSError(platform_.files.LastError(), platform_.locale);
}

void TCompiler::CheckToolTexts(const TTargetOptions& options)
{
    if (!options.HasDcc32())
        return;
    const TCompileTarget& target = options.Target;
    std::vector<std::string> texts = {options.PackageSourceDir()};
    if (target.IsBCB()) {
        texts.insert(texts.end(), {options.Bpr2MakFile(), target.MakeFile()});
    } else {
        for (const TPlatform platform : options.BuildPlatforms()) {
            texts.push_back(target.CompilerFile(platform));
            for (const auto& [option, folders] : CompilerSwitches(options, platform))
                for (const std::string& folder : SplitString(folders, ';'))
                    texts.push_back(folder);
        }
    }
    for (const std::string& text : texts)
        if (!platform_.locale.Utf8ToAnsi(text))
            throw Exception(target.DisplayName() +
                            " is left unchanged: its command-line tools read only the system code page, which "
                            "cannot hold \"" + text + "\"");
}

void TCompiler::LogFileContent(const std::string& file)
{
    const std::vector<std::string> lines = TextLines(platform_.files.ReadFile(file).value_or(""));
    FLog.LogDebug("Content of file: \"" + file + "\"");
    FLog.LogDebug("start" + std::string(36, '='));
    for (const std::string& text : lines)
        FLog.LogDebug(text);
    FLog.LogDebug("end" + std::string(38, '='));
}

void TCompiler::InvokeCompiler(const TTargetOptions& options, const std::string& packageFile, TPlatform platform)
{
    const TCompileTarget& target = options.Target;
    const std::string folder = options.PackageSourceDir();
    if (!target.BuildsCppProjects()) {
        // The compiler reads its options from its configuration file in its working folder.
        const std::string configFile = IncludeTrailingPathDelimiter(folder) + PlatformFacts(platform).ConfigFile;
        DeletedAtExit config(platform_.files, configFile, installData_.Options.KeepFiles);
        WriteCompilerConfig(configFile, options, platform);
        LogFileContent(configFile);
        const std::string commandLine = Quoted(target.CompilerFile(platform)) + " " + Quoted(packageFile);
        FLog.LogDebug(commandLine);
        if (RunProcess(commandLine, folder) != 0)
            throw Exception("Error compiling package: " + packageFile);
        return;
    }

    const std::string converter = Quoted(options.Bpr2MakFile()) + " " + Quoted(PathJoin(folder, packageFile));
    FLog.LogDebug(converter);
    if (RunProcess(converter, folder) != 0)
        throw Exception("Error executing bpr2mak");
    const std::string make =
        Quoted(target.MakeFile()) + " -f" + Quoted(PathJoin(folder, ChangeFileExt(packageFile, ".mak"))) + " ";
    if (RunProcess(make, folder) != 0)
        throw Exception("Error executing make");
    if (!installData_.Options.KeepFiles)
        for (const char* extension : {".mak", ".obj", ".tds"})
            platform_.files.DeleteFile(PathJoin(folder, ChangeFileExt(packageFile, extension)));
}

std::string TCompiler::PackageFileName(const std::string& stem, const TCompileTarget& target)
{
    const std::string version = std::to_string(target.VersionNumber);
    if (target.BuildsCppProjects())
        return stem + "C" + version + ".bpk";
    if (target.IsDelphi() || target.IsBDS())
        return stem + "D" + version + ".dpk";
    return stem + version + ".dpk";
}

void TCompiler::InstallIntoIdes()
{
    if (installData_.Mode != imUninstall) {
        static const char* const kFormFolders[] = {"\\VclForms", "\\TntForms", "\\TntForms", "\\DevExpressForms"};
        if (installData_.CompilationMode <= cmDevExpress) {
            std::vector<FoundFile> forms;
            FindFiles(platform_.files, installData_.SourcesDir() + kFormFolders[installData_.CompilationMode], "*.*",
                      true, nullptr, forms);
            CopyFlat(forms, installData_.SourcesDir());
        }
    }
    TTargetOptionsList& targets = *installData_.TargetOptions;
    std::vector<TIdeJob> jobs;
    for (int i = targets.Count() - 1; i >= 0; --i)
        if (targets[i].Action != taLeaveUnchanged)
            jobs.push_back({&targets[i], TProgressPlan::IdeSteps(targets[i], *installData_.Providers)});
    ForEachIde(jobs, [](TCompiler& lane, TTargetOptions& options) {
        if (!lane.SaveSettings(options))
            return;
        // An IDE that fails stays recorded as under change: the next run takes it up again.
        try {
            options.BeginChange(options.Action);
            if (options.Action == taInstall)
                lane.InstallIntoIde(options);
            else
                lane.UninstallFromIde(options);
            options.EndChange();
        } catch (const std::exception& error) {
            lane.FLog.LogError(error.what());
        }
    });
}

void TCompiler::InstallIntoIde(TTargetOptions& options)
{
    TCompileTarget& target = options.Target;
    IFileSystem& files = platform_.files;
    const TMetadataProvidersList& providers = *installData_.Providers;
    CheckToolTexts(options);
    FLog.LogInfo("Compiling for:" + target.DisplayName());
    if (!files.DirectoryExists(options.OutputDir()))
        files.CreateDirectory(options.OutputDir());
    for (const TPlatform platform : options.BuildPlatforms())
        if (!files.DirectoryExists(options.OutputDir(platform)))
            files.CreateDirectory(options.OutputDir(platform));
    if (options.BuildPlatforms().size() < target.Platforms().size())
        FLog.Log(llWarning, target.DisplayName() + " has no " + target.CompilerFile(pfWin64) +
                                ": the packages are built for Win32 only.");
    if (installData_.WithSources && options.CompilePackages) {
        DeleteFiles(options.OutputDir(), true, kObjectExtensions);
        DeleteResourceFiles(options);
    }
    DeleteHppFiles(options);
    options.DumpIdeSettings(FLog);

    FLog.LogDebug("Uninstalling packages before compilation");
    FLog.LogDebug("Uninstalling third party connectivity packages");
    for (int i = providers.Count() - 1; i >= 0; --i) {
        FLog.LogDebug("Uninstalling " + providers[i].Description);
        providers[i].UninstallFrom(*this, options);
    }
    FLog.LogDebug("Uninstalling core packages");
    UninstallPackage(options, "CorvalisDsgn");
    UninstallPackage(options, "Corvalis");
    FLog.LogDebug("Remove component folders from IDE paths collections");
    RemoveBrowsingPath(options);
    RemoveSearchPath(options);
    options.Installed = false;
    options.Save();
    target.SavePaths();
    target.SavePackageLists();
    options.DumpIdeSettings(FLog);
    StepDone();

    FLog.LogInfo("");
    FLog.LogInfo("Compiling/Installing packages");
    FLog.LogInfo("");
    FLog.LogInfo("Compiling core packages");
    CompilePackage(options, "Corvalis", false);
    StepDone();
    CompilePackage(options, "CorvalisDsgn", true);
    StepDone();
    FLog.LogInfo("Installing core packages");
    InstallPackage(options, "CorvalisDsgn", "Corvalis Component");
    FLog.LogInfo("Adding component folders to IDE paths collections");
    if (options.AddSourceLocation)
        AddBrowsingPath(options);
    AddSearchPaths(options);
    target.SavePaths();
    target.SavePackageLists();
    options.Installed = true;
    options.Save();
    options.DumpIdeSettings(FLog);
    CopyResourceFiles(options);
    if (target.PersonalitySet() & psBCB)
        CopyHppFiles(options);

    for (const auto& provider : providers) {
        if (!options.CanCompileProvider(*provider) || !options.IsProviderSelected(*provider)) {
            provider->UninstallFrom(*this, options);
            options.RemoveInstalledProvider(*provider);
            continue;
        }
        try {
            FLog.LogInfo("Compiling/Installing " + provider->Description);
            FLog.LogDebug("Compiling " + provider->Description);
            provider->CompileFor(*this, options);
            FLog.LogDebug("Installing " + provider->Description);
            provider->InstallFor(*this, options);
        } catch (const Exception& error) {
            // One connectivity package that fails leaves the others and the core packages be;
            // the record no longer has it chosen.
            options.RemoveSelectedProvider(*provider);
            provider->UninstallFrom(*this, options);
            options.Save();
            FLog.LogError(error.Message());
        }
        StepDone();
    }
    target.SavePackageLists();
    options.Save();
    options.DumpIdeSettings(FLog);
}

void TCompiler::CompilePackage(TTargetOptions& options, const std::string& stem, bool designTime)
{
    IFileSystem& files = platform_.files;
    FLog.LogDebug("Compiling package: " + stem);
    const std::string packageFile = PackageFileName(stem, options.Target);
    const std::string bpl = ChangeFileExt(packageFile, ".bpl");
    for (const TPlatform platform : options.PackagePlatforms(designTime)) {
        if (platform != pfWin32)
            FLog.LogDebug(std::string("Compiling package for ") + PlatformFacts(platform).Name + ": " + stem);
        // An IDE edition without a command-line compiler gets packages that are already built.
        if (platform != pfWin32 || options.HasDcc32())
            InvokeCompiler(options, packageFile, platform);
        const std::string built = options.OutputDir(platform) + "\\" + bpl;
        if (!files.FileExists(built))
            throw Exception("File not exists: " + built);
        FLog.LogDebug("  target file exist: " + built);
    }
    if (designTime)
        return;

    // Only the Win32 package goes into the system folder: this 32-bit program would put a
    // Win64 one into the 32-bit system folder, where no Win64 program looks.
    const std::string built = options.OutputDir(pfWin32) + "\\" + bpl;
    const std::string installed = IncludeTrailingPathDelimiter(files.SystemDirectory()) + bpl;
    FLog.LogDebug("  Installing into SystemDir: " + installed);
    if (files.FileExists(installed)) {
        FLog.LogDebug("  file already exists: " + installed);
        FLog.LogDebug("  deleting file: " + installed);
        if (!files.DeleteFile(installed)) {
            const uint32_t error = files.LastError();
            FLog.LogError("  ERROR: cannot delete file: " + installed);
            throw OSError(error, platform_.locale);
        }
        FLog.LogDebug("  deleting file successful");
        if (files.FileExists(installed))
            throw Exception("File exists after deleting from SystemDir: " + installed);
        FLog.LogDebug("  target file not exist after deletion: " + installed);
    } else {
        FLog.LogDebug("  target file not exist before installing: " + installed);
    }
    if (!files.CopyFile(built, installed)) {
        const uint32_t error = files.LastError();
        FLog.LogError("  ERROR: cannot installing into SystemDir");
        throw OSError(error, platform_.locale);
    }
    FLog.LogDebug("  installing into SystemDir successful");
    if (!files.FileExists(installed))
        throw Exception("File not exists after installing into SystemDir: " + installed);
    FLog.LogDebug("  target file exist after installation: " + installed);
}

void TCompiler::InstallPackage(TTargetOptions& options, const std::string& stem, const std::string& description)
{
    TCompileTarget& target = options.Target;
    FLog.LogDebug("Installing package:" + stem);
    const std::string bpl = ChangeFileExt(PackageFileName(stem, target), ".bpl");
    for (const TPlatform platform : options.PackagePlatforms(true)) {
        // The 64-bit IDE makes its package list when it first starts; the installer never
        // makes it, as the IDE would then not add its own packages.
        if (platform == pfWin64 &&
            !platform_.registry.KeyExists(RootKey::CurrentUser, target.UserKey + "\\" + kKnownPackagesX64))
            FLog.Log(llWarning, "The 64-bit IDE of " + target.DisplayName() + " has no \"" + kKnownPackagesX64 +
                                    "\" yet: start it once, then run the installer again to register " + bpl +
                                    " there.");
        target.KnownPackagesFor(platform).Add(options.OutputDir(platform) + "\\" + bpl, description);
    }
}

void TCompiler::DeleteFiles(const std::string& folder, bool recursive, const std::vector<std::string>& extensions)
{
    std::vector<FoundFile> found;
    FindFiles(platform_.files, folder, "*.*", recursive, &extensions, found);
    for (const FoundFile& file : found)
        platform_.files.DeleteFile(file.path);
}

// Each file into the folder under its own name, overwriting; a copy that fails is skipped.
void TCompiler::CopyFlat(const std::vector<FoundFile>& files, const std::string& folder)
{
    for (const FoundFile& file : files)
        platform_.files.CopyFile(file.path, PathJoin(folder, ExtractFileName(file.path)));
}

void TCompiler::DeleteResourceFiles(const TTargetOptions& options)
{
    for (const TPlatform platform : options.Target.Platforms())
        DeleteFiles(options.OutputDir(platform), false, kResourceExtensions);
}

void TCompiler::CopyResourceFiles(const TTargetOptions& options)
{
    std::vector<FoundFile> found;
    FindFiles(platform_.files, installData_.SourcesDir(), "*.*", false, &kResourceExtensions, found);
    for (const TPlatform platform : options.BuildPlatforms())
        CopyFlat(found, options.OutputDir(platform));
}

void TCompiler::CopyHppFiles(const TTargetOptions& options)
{
    for (const auto& [header, copy] : HppCopies(platform_.files, options)) {
        if (platform_.files.FileExists(copy))
            platform_.files.DeleteFile(copy);
        platform_.files.CopyFile(header, copy);
    }
}

void TCompiler::DeleteHppFiles(const TTargetOptions& options)
{
    for (const auto& [header, copy] : HppCopies(platform_.files, options))
        if (platform_.files.FileExists(copy))
            platform_.files.DeleteFile(copy);
}

} // namespace corvalis
