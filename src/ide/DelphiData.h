#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ide/BdsVersions.h"
#include "platform/Platform.h"

namespace corvalis {

class TCmdOptions;

using TStringList = std::vector<std::string>;

// Personalities of a BDS IDE, as bits of a personality set.
enum Personality : int {
    psDelphiWin32 = 1,
    psDelphiNet = 2,
    psBCB = 4,
    psBCBNet = 8,
    psCSharpBuilder = 16,
    psVBNet = 32,
};

// The version name of an IDE version number (9 gives "2005", 11 "2007", 14 "2010", 15 "XE",
// 29 "12").
std::string IdeVersionNames(int versionNumber);

// A stored path list ("a;b;c") as entries, trimmed, unquoted and without trailing delimiter.
TStringList PathListFromString(const std::string& text);
std::string PathListToString(const TStringList& list);
// The stored text of a path list changed to hold the list: the entries kept keep their text as
// stored (quotes, blanks, delimiters), the removed ones go with their separator, new ones come
// where the list has them, and a final ";" stays.
std::string MergedPathList(const std::string& stored, const TStringList& list);

// A backslash followed by another loses one, except in a leading pair (a network path).
std::string CollapseDoubledBackslashes(std::string path);

// One entry of an IDE's package list: the registry value name (a file, often with macros)
// and its data.
class TDelphiPackage {
public:
    std::string FileName;
    std::string Description;
    std::string Name() const; // the file name without folder
};

class TDelphiPackageList {
public:
    // An empty description becomes the file name without folder and extension.
    void Add(const std::string& fileName, const std::string& description);
    int IndexOf(const std::string& fileName) const; // by FileName, -1 when absent
    int Count() const { return static_cast<int>(items_.size()); }
    TDelphiPackage& operator[](int index) { return items_[static_cast<size_t>(index)]; }
    const TDelphiPackage& operator[](int index) const { return items_[static_cast<size_t>(index)]; }
    void Delete(int index) { items_.erase(items_.begin() + index); }
    void Clear() { items_.clear(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<TDelphiPackage> items_;
};

// The library settings an IDE keeps for one platform.
struct TLibrarySettings {
    TStringList BrowsingPaths;
    std::string DcpOutputDir;
    std::string BplOutputDir;
    TStringList PackageSearchPaths;
    TStringList SearchPaths;
    TStringList DebugDcuPaths;
    TStringList CppIncludePaths;
    TStringList CppSearchPaths;
    TStringList CppLibraryPaths;
};

// One installed Delphi, C++Builder or BDS / RAD Studio IDE, with its identity, folders and
// settings, loaded once when it is discovered. Its own library settings are those of the
// platform it runs on, Win32; an IDE that builds for Win64 too keeps those in Win64.
class TCompileTarget : public TLibrarySettings {
public:
    TCompileTarget(const Platform& platform, std::string familyName, std::string keyVersionText,
                   const std::string& registryKeyName);

    bool Valid = false;
    std::string ProductName;
    std::string FamilyName;
    int32_t RtlPatchLevel = 0;
    int32_t UpdateLevel = 0;
    int32_t KeyVersion = 0;
    std::string KeyVersionText;
    int32_t VersionNumber = 0;
    std::string VersionText;
    std::string AppFile;
    std::string Edition;
    std::string RootDir;
    bool PersonalEdition = false;
    std::string ProductVersion;
    TDelphiPackageList DisabledPackages;
    TDelphiPackageList KnownPackages;
    TDelphiPackageList KnownIdePackages;
    std::string MachineKey;
    std::string UserKey;
    TStringList Personalities;
    TStringList LoadedEnvVars;
    TStringList EnvVars;
    std::string DefaultProjectsDir;
    std::string DefaultCommonDir;
    TLibrarySettings Win64;
    // The packages of the 64-bit IDE, where it has one.
    TDelphiPackageList KnownPackagesX64;
    TDelphiPackageList DisabledPackagesX64;

    // The version table's row; nullptr for Delphi and C++Builder, and for a BDS version the
    // installer does not know.
    const TBdsVersion* Version() const { return version_; }
    // A BDS version the installer does not know: only its identity is loaded.
    bool IsUnknownVersion() const { return IsBDS() && version_ == nullptr; }
    const TIdeLayout& Layout() const;
    // The platforms whose library settings the IDE keeps, its own first.
    std::vector<TPlatform> Platforms() const;
    TLibrarySettings& Library(TPlatform platform);
    const TLibrarySettings& Library(TPlatform platform) const;
    // The user key's subkey that holds the platform's library settings.
    std::string LibraryKey(TPlatform platform) const;
    // The design-time packages the IDE that runs on the platform loads.
    TDelphiPackageList& KnownPackagesFor(TPlatform platform)
    {
        return platform == pfWin32 ? KnownPackages : KnownPackagesX64;
    }
    // The IDE's compiler for the platform, in its Bin folder.
    std::string CompilerFile(TPlatform platform) const;
    // The 64-bit IDE's executable, for the versions whose updates bring it; empty otherwise.
    std::string Ide64File() const;
    bool Has64BitIde() const;
    // The product's C++Builder projects (.bpk, built with bpr2mak and make) serve the IDE:
    // C++Builder 5 and 6, and RAD Studio 2007 with only the C++Builder personality.
    bool BuildsCppProjects() const;

    std::string DisplayName() const;
    bool IsBDS() const;
    bool IsDelphi() const;
    bool IsBCB() const;
    int PersonalitySet() const;
    bool SupportsPersonalities(int set, bool exact) const;
    std::string PersonalityLetter() const;
    std::string Dcc32File() const;
    std::string MakeFile() const;
    std::string BplDir(TPlatform platform = pfWin32) const;
    std::string DcpDir(TPlatform platform = pfWin32) const;
    std::string ProjectsDir() const;
    std::string CommonDir() const;
    // The platform gives $(Platform) for the IDEs that define it.
    std::string ExpandDirMacros(const std::string& dir, TPlatform platform = pfWin32) const;
    std::string InsertDirMacros(const std::string& dir) const;
    std::string VersionedName(const std::string& fileName) const;
    std::string EnvOptionsFile() const;

    // Package lookups by file name without folder, in "Known IDE Packages", then "Known Packages".
    const TDelphiPackage* FindPackage(const std::string& fileName) const;
    const TDelphiPackage* FindPackageByPrefix(const std::string& prefix) const;

    // Write the edited lists back to the IDE's settings.
    void SavePaths();
    void SavePackageLists();

private:
    void Load();
    void LoadUpdateLevels(const IRegistryKey& machineKey);
    std::string LoadDefaultProjectsDir() const;
    std::string LoadDefaultCommonDir() const;
    void LoadEnvVars();
    void LoadPathsFromEnvOptions();
    void LoadPathsFromRegistry(const TPlatformStore& store);
    void LoadPackageList(TDelphiPackageList& list, const std::string& subkey);
    void SavePackageList(const TDelphiPackageList& list, const std::string& subkey);
    void SaveLibraryKey(const TPlatformStore& store);
    void SaveCppPaths(const TPlatformStore& store);
    std::string CppPathsKey(const TPlatformStore& store) const;
    std::optional<std::string> ListUpdate(const std::optional<std::string>& stored, const TStringList& list,
                                          const TStringList& loaded) const;
    const TLibrarySettings& Loaded(TPlatform platform) const
    {
        return platform == pfWin32 ? loadedWin32_ : loadedWin64_;
    }
    std::string Variable(const std::string& name) const;
    std::optional<std::string> IdeVariable(const std::string& name, TPlatform platform) const;

    const Platform& platform_;
    const TBdsVersion* version_ = nullptr;
    // The platforms' lists as last loaded or saved: a list the run did not change since is
    // not written back.
    TLibrarySettings loadedWin32_;
    TLibrarySettings loadedWin64_;
    // ProjectsDir and CommonDir expand variables that may name themselves: a nested call
    // while one is under way leaves the macro as written.
    mutable bool expandingProjectsDir_ = false;
    mutable bool expandingCommonDir_ = false;
};

// Every valid IDE found in the registry, in discovery order.
class TCompileTargetList {
public:
    // Discovery, honouring the command-line options; writes the default registry key names
    // into the options when they are empty.
    TCompileTargetList(const Platform& platform, TCmdOptions& options);

    int Count() const { return static_cast<int>(items_.size()); }
    TCompileTarget& operator[](int index) const { return *items_[static_cast<size_t>(index)]; }
    // The BDS versions found that the installer does not know (a release newer than it),
    // never offered, in discovery order.
    const std::vector<std::unique_ptr<TCompileTarget>>& UnknownVersions() const { return unknown_; }

private:
    void Scan(const std::string& base, const std::string& family, const std::string& keyName);

    const Platform& platform_;
    std::vector<std::unique_ptr<TCompileTarget>> items_;
    std::vector<std::unique_ptr<TCompileTarget>> unknown_;
};

// A package-name template with %e, %E, %v and %V replaced for the target.
std::string ExpandPackageTemplate(const TCompileTarget& target, const std::string& packageTemplate);
// The template, as written or expanded, names (or begins the name of) a package of the IDE.
bool IsPackageInstalled(const TCompileTarget& target, const std::string& packageTemplate);

} // namespace corvalis
