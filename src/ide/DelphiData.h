#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

struct TBdsVersion {
    const char* ProductName;
    const char* VersionText;
    int VersionNumber;
    const char* ResourceSuffix; // of the core resource module, bin\coreide<suffix>
    uint32_t ResourceId;        // of the projects folder's name, for version keys below 4
    bool Supported;
};

// Indexed by the BDS version key number minus one (keys 1 to 7).
extern const std::array<TBdsVersion, 7> BdsVersionTable;

// The version name of an IDE version number (9 gives "2005", 11 "2007", 14 "2010").
std::string IdeVersionNames(int versionNumber);

// A stored path list ("a;b;c") as entries, trimmed, unquoted and without trailing delimiter.
TStringList PathListFromString(const std::string& text);
std::string PathListToString(const TStringList& list);

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

// One installed Delphi, C++Builder or BDS / RAD Studio IDE, with its identity, folders and
// settings, loaded once when it is discovered.
class TCompileTarget {
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
    TStringList BrowsingPaths;
    std::string DcpOutputDir;
    std::string BplOutputDir;
    TStringList PackageSearchPaths;
    TStringList SearchPaths;
    TDelphiPackageList DisabledPackages;
    TDelphiPackageList KnownPackages;
    TDelphiPackageList KnownIdePackages;
    std::string MachineKey;
    std::string UserKey;
    TStringList DebugDcuPaths;
    TStringList Personalities;
    TStringList CppIncludePaths;
    TStringList CppSearchPaths;
    TStringList CppLibraryPaths;
    TStringList LoadedEnvVars;
    TStringList EnvVars;
    std::string DefaultProjectsDir;
    std::string DefaultCommonDir;

    std::string DisplayName() const;
    bool IsBDS() const;
    bool IsDelphi() const;
    bool IsBCB() const;
    int PersonalitySet() const;
    bool SupportsPersonalities(int set, bool exact) const;
    std::string PersonalityLetter() const;
    std::string Dcc32File() const;
    std::string MakeFile() const;
    std::string BplDir() const;
    std::string DcpDir() const;
    std::string ProjectsDir() const;
    std::string CommonDir() const;
    std::string ExpandDirMacros(const std::string& dir) const;
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
    void LoadPathsFromRegistry();
    void LoadPackageList(TDelphiPackageList& list, const std::string& subkey);
    void SavePackageList(const TDelphiPackageList& list, const std::string& subkey);
    std::string CppPathsKey() const;
    std::string Variable(const std::string& name) const;

    const Platform& platform_;
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

private:
    void Scan(const std::string& base, const std::string& family, const std::string& keyName);

    const Platform& platform_;
    std::vector<std::unique_ptr<TCompileTarget>> items_;
};

// A package-name template with %e, %E, %v and %V replaced for the target.
std::string ExpandPackageTemplate(const TCompileTarget& target, const std::string& packageTemplate);
// The template, as written or expanded, names (or begins the name of) a package of the IDE.
bool IsPackageInstalled(const TCompileTarget& target, const std::string& packageTemplate);

} // namespace corvalis
