#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ide/BdsVersions.h"
#include "platform/Platform.h"

namespace corvalis {

class TCompileTarget;
class TCompileTargetList;
class TInstallData;
class TLogBase;
class TMetadataProvider;

// What the installation run does with an IDE.
enum TTargetAction : uint8_t { taInstall, taLeaveUnchanged, taRemove };

// The choices and the installed state of the product in one IDE, kept under the product
// key between runs, and the checks the wizard makes before it lets the user go on.
class TTargetOptions {
public:
    TTargetOptions(TCompileTarget& target, TInstallData& installData, const Platform& platform);

    TInstallData& InstallData;
    TCompileTarget& Target;
    bool Installed = false;
    bool IdeRegistration = false;
    std::vector<const TMetadataProvider*> InstalledProviders;
    std::vector<const TMetadataProvider*> SelectedProviders;
    bool AddSourceLocation = false;
    bool CompilePackages = false;
    TTargetAction Action = taLeaveUnchanged;
    // The change a run started in the IDE and did not end: its stored options are then the
    // choices the change was started with, and the IDE may hold parts of the product.
    std::optional<TTargetAction> PendingAction;

    // False when the IDE has no stored options.
    bool Load();
    // Writes the options, or removes them when the product is not installed in the IDE and
    // no change of it is under way.
    void Save();
    // Records the change, with the chosen options, before the IDE changes; and, once it has,
    // that it ended.
    void BeginChange(TTargetAction action);
    void EndChange();
    std::string TargetKey() const;

    // The product's folder for the IDE; an IDE that builds for several platforms has one
    // folder per platform in it (Delphi12\Win32, Delphi12\Win64).
    std::string OutputDir() const;
    std::string OutputDir(TPlatform platform) const;
    std::string UnitOutputDir(TPlatform platform = pfWin32) const;
    std::string PackageSourceDir() const;
    std::string VclIncludeDir() const;
    std::string Bpr2MakFile() const;
    bool HasDcc32() const;
    // The platforms the product is built for: Win32, and Win64 where the IDE keeps Win64
    // settings and has its compiler.
    std::vector<TPlatform> BuildPlatforms() const;
    // The platforms a package is built for: a runtime package for each of BuildPlatforms, a
    // design-time package for those the IDE runs on (Win64 with the 64-bit IDE).
    std::vector<TPlatform> PackagePlatforms(bool designTime) const;
    bool IsIdeRunning() const;
    std::string IdeFileVersion() const;
    bool HasDatabaseSupport() const;
    bool IsTurboEdition() const;
    bool ModePrerequisitesInstalled() const;
    bool CanCompileProvider(const TMetadataProvider& provider) const;

    bool IsProviderInstalled(const TMetadataProvider& provider) const;
    bool IsProviderSelected(const TMetadataProvider& provider) const;
    void AddInstalledProvider(const TMetadataProvider& provider);
    void AddSelectedProvider(const TMetadataProvider& provider);
    void RemoveInstalledProvider(const TMetadataProvider& provider);
    void RemoveSelectedProvider(const TMetadataProvider& provider);

    // The IDE's paths and package lists, written to the engine's log.
    void DumpIdeSettings(TLogBase& log) const;

private:
    const Platform& platform_;
};

// The name of the product's folder for the IDE: Delphi7, CBuilder6, Delphi2007.
std::string ProductFolderName(const TCompileTarget& target);
// An executable of the IDE's name runs, loaded from the IDE's own file.
bool IsIdeRunning(const Platform& platform, const TCompileTarget& target);

class TTargetOptionsList {
public:
    TTargetOptionsList(TCompileTargetList& targets, TInstallData& installData, const Platform& platform);

    // An update always has work; otherwise some IDE must be installed into or removed from.
    bool HasWork() const;
    int InstallCount() const;
    int Count() const { return static_cast<int>(items_.size()); }
    TTargetOptions& operator[](int index) const { return *items_[static_cast<size_t>(index)]; }

private:
    TInstallData& installData_;
    std::vector<std::unique_ptr<TTargetOptions>> items_;
};

} // namespace corvalis
