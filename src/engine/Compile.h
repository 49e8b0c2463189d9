#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/IdeBackup.h"
#include "engine/ProgressPlan.h"
#include "ide/BdsVersions.h"
#include "ide/Utils.h"
#include "log/uLogger.h"
#include "platform/Platform.h"

namespace corvalis {

class TCompileTarget;
class TDelphiPackageList;
class TInstallData;
class TTargetOptions;

// Why the package in the current folder cannot be extracted (its archive or extractor is
// missing); none when it can.
std::optional<std::string> ExtractionProblem(const IFileSystem& files);

// How many IDEs a run works on at once: the --jobs= value (0: one per processor), never
// more than the IDEs, at least one.
int JobCount(int requested, unsigned processors, size_t ides);

// The build-and-install engine of one installation run. It owns only its log; everything
// it works on belongs to the installation data and the IDEs.
class TCompiler {
public:
    TCompiler(const Platform& platform, TInstallData& installData);

    TLogBase& Log() { return FLog; }
    // The run's steps, counted from the installation data when the engine is created.
    TProgressPlan& Progress() { return *progress_; }

    // The tool's exit code, -1 when it cannot be started, -2 when a pipe cannot be created,
    // kExitCodeUnknown when the system cannot tell it.
    int32_t RunProcess(const std::string& commandLine, const std::string& workingFolder);

    // Extraction (Compile.cpp): the product's files, then its place in the shell.
    void InstallFiles();
    void ExtractDistribution();

    // Building one package with an IDE's own tools (CompileBuild.cpp).
    // The switches of the compiler's configuration file (dcc32.cfg, or dcc64.cfg for Win64),
    // switch and value, in the file's order.
    std::vector<std::pair<std::string, std::string>> CompilerSwitches(const TTargetOptions& options,
                                                                      TPlatform platform);
    void WriteCompilerConfig(const std::string& configFile, const TTargetOptions& options,
                             TPlatform platform = pfWin32);
    // The IDE's command-line tools read their command lines and configuration files in the system code
    // page: raises an Exception, before anything of the IDE changes, when a folder they
    // would get holds a character the code page lacks.
    void CheckToolTexts(const TTargetOptions& options);
    void LogFileContent(const std::string& file);
    void InvokeCompiler(const TTargetOptions& options, const std::string& packageFile, TPlatform platform = pfWin32);

    // Building and registering the product in each IDE (CompileBuild.cpp).
    void InstallIntoIdes();
    void InstallIntoIde(TTargetOptions& options);
    // Builds and registers a package for each platform it is built for (PackagePlatforms).
    void CompilePackage(TTargetOptions& options, const std::string& stem, bool designTime);
    void InstallPackage(TTargetOptions& options, const std::string& stem, const std::string& description);
    static std::string PackageFileName(const std::string& stem, const TCompileTarget& target);
    void DeleteResourceFiles(const TTargetOptions& options);
    void CopyResourceFiles(const TTargetOptions& options);
    void CopyHppFiles(const TTargetOptions& options);
    void DeleteHppFiles(const TTargetOptions& options);

    // The product's folders in an IDE's path lists (CompilePaths.cpp).
    void AddBrowsingPath(TTargetOptions& options);
    void AddSearchPaths(TTargetOptions& options);
    void RemoveBrowsingPath(TTargetOptions& options);
    void RemoveSearchPath(TTargetOptions& options);
    void AddPath(const TCompileTarget& target, std::vector<std::string>& list, const std::string& entry,
                 const std::string& listName);
    void RemovePath(const TCompileTarget& target, std::vector<std::string>& list, const std::string& entry,
                    const std::string& listName);

    // Taking the product out of the IDEs (CompileRemoval.cpp).
    void UninstallFromIdes();
    void UninstallFromIde(TTargetOptions& options);
    void UninstallPackage(TTargetOptions& options, const std::string& stem);
    static int FindPackageIndex(const TDelphiPackageList& packages, const std::string& fileName);
    // Recycles the file from each folder on PATH; returns the folders that did not hold it.
    std::vector<std::string> RemoveFromPathFolders(const std::string& fileName);

private:
    // One IDE's share of a run that works on several at once (CompileIdes.cpp): the run's
    // services but its own tools' runner, the run's backup, a log of its own.
    TCompiler(const TCompiler& run, const Platform& platform);

    struct TIdeJob {
        TTargetOptions* options;
        int steps; // of the run's progress plan
    };
    using TIdeWork = std::function<void(TCompiler& lane, TTargetOptions& options)>;
    // The work of each IDE, its lines in the run's log one IDE after another in the jobs'
    // order (CompileIdes.cpp).
    void ForEachIde(const std::vector<TIdeJob>& jobs, const TIdeWork& work);
    void RunSideBySide(const std::vector<TIdeJob>& jobs, int jobCount, const TIdeWork& work);
    // A lane's lines as a run one IDE after another would have shown them; the run's steps
    // done up to its end.
    void RelayLane(const TCompiler& lane, int done);
    // Saves the IDE's settings before the run first changes it; false, after an Error line,
    // when it cannot: the IDE is left unchanged.
    bool SaveSettings(const TTargetOptions& options);
    void StepDone();

    int FindPath(const std::vector<std::string>& list, const std::string& variant, const std::string& listName);
    void RemovePathEntries(std::vector<std::string>& list, const std::string& variant, const std::string& listName);
    void DeleteFiles(const std::string& folder, bool recursive, const std::vector<std::string>& extensions);
    void CopyFlat(const std::vector<FoundFile>& files, const std::string& folder);

    const Platform platform_;
    TInstallData& installData_;
    TLogToList FLog;
    // Every IDE's settings are saved before the run first changes them: one backup for the
    // run and its lanes.
    std::shared_ptr<TIdeBackup> backup_;
    // The run's plan. A lane has none: it counts its steps, and the run reads the count.
    std::optional<TProgressPlan> progress_;
    int laneSteps_ = 0;
};

// The name of the running Windows for the log; empty for versions it has no name for.
std::string WindowsName(const WindowsVersion& version);

} // namespace corvalis
