#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/MetadataProviders.h"
#include "core/Version.h"
#include "platform/Platform.h"

namespace corvalis {

class TCmdOptions;
class TCompileTargetList;
class TTargetOptionsList;

enum TInstallMode : uint8_t { imInstall, imUpdate, imMaintenance, imUninstall };

// Which visual control library the product's packages are built against.
enum TCompilationMode : uint8_t { cmStandard, cmTnt, cmTMS, cmDevExpress };

// HKEY_LOCAL_MACHINE, where the product records itself and its options per IDE.
inline constexpr const char* ProductKey = "Software\\Halvorn\\Corvalis";

// Shows a message to the user, in a plain message box once the program has windows.
using TShowMessage = std::function<void(const std::string& text)>;

// The one installation data object the whole installer shares: the mode, the folders, the
// versions, the package's contents, the IDEs with their options and the user's choices.
class TInstallData {
public:
    // Reads the package files of the current folder and the product key, discovers the IDEs
    // and decides the mode. Failures are raised with the message the user reads.
    TInstallData(const Platform& platform, TCmdOptions& options, TShowMessage showMessage);
    ~TInstallData();
    TInstallData(const TInstallData&) = delete;
    TInstallData& operator=(const TInstallData&) = delete;

    void LoadFromRegistry();
    // Records the product's files as whole in the installation folder, of the package's version.
    void SaveToRegistry();
    // Before the run's first change: the run under way, its version, mode, folder and choices.
    // A run that stops before RecordRunEnd leaves this record for the next run to find.
    void RecordRunStart();
    // The product's files are no longer whole: their removal begins.
    void RecordFilesRemoved();
    // The run has ended: its record goes, with the whole product key once the product is removed.
    void RecordRunEnd();
    // What the next run is told of a run that did not end; none when the last run ended.
    std::optional<std::string> InterruptedRunMessage() const;

    std::string PackagesDir() const;
    std::string SourcesDir() const;
    std::string StartMenuFolder() const;

    // The command line the installer was started with.
    const TCmdOptions& Options;
    // Said at the start of the run's log: what was asked for and is not done.
    std::vector<std::string> RunWarnings;

    TInstallMode Mode = imInstall;
    bool ProductInstalled = false;
    std::unique_ptr<TVersion> InstalledVersion;
    std::unique_ptr<TVersion> PackageVersion;
    std::string InstallDir;
    // The folder the product key names: where a first installation that did not end left
    // its files, though this one may be made in another.
    std::string RecordedInstallDir;
    bool WithSources = false;
    bool HasConnectivity = false;
    std::vector<std::string> StartMenuGroups;
    std::string ProgramsFolder;
    std::string StartFolder;
    // The group the installed product's shortcuts went to, as its last run recorded it: a
    // removal takes it away too.
    std::string RecordedStartFolder;
    // The mode's name ("Install", "Update", "Maintenance", "Uninstall") and the version of a
    // run that started and did not end; empty when the last run ended.
    std::string InterruptedRun;
    std::string InterruptedVersion;
    bool VisitWeb = true;
    TCompilationMode CompilationMode = cmStandard;

    // The options refer to the targets and to the providers: they go first.
    std::unique_ptr<TMetadataProvidersList> Providers;
    std::unique_ptr<TCompileTargetList> Targets;
    std::unique_ptr<TTargetOptionsList> TargetOptions;

private:
    const Platform& platform_;
};

} // namespace corvalis
