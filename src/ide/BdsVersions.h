#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

// What the installer knows of each IDE version: the BDS version table with the names,
// numbers and folder names of every release, and where each generation keeps its settings
// for each platform. Discovery, the settings store, the engine and the pages all read it
// here; a fact no source confirms is marked "unconfirmed" where it is written, to be
// corrected in this one place.

namespace corvalis {

// The Windows platforms the product is built for.
enum TPlatform : uint8_t { pfWin32, pfWin64 };

// What building for a platform takes and leaves.
struct TPlatformFacts {
    const char* Name;       // the IDE's $(Platform), and the output folder's name where an IDE has several
    const char* Compiler;   // in the IDE's Bin folder
    const char* ConfigFile; // written beside the package project: the compiler reads it from its working folder
    const char* UnitScopes; // -NS for VCL code, for the compilers that have unit scopes
    // What a package leaves in the IDE's DCP folder besides its .dcp: C++ import library and
    // static libraries. Win64's ".a" is unconfirmed.
    std::span<const char* const> DcpFolderExtensions;
};
const TPlatformFacts& PlatformFacts(TPlatform platform);

// Where an IDE keeps one platform's library settings.
struct TPlatformStore {
    TPlatform Platform;
    const char* LibraryKey; // below the user key: its path lists and package folders
    // The "Condition" of the platform's PropertyGroup in EnvOptions.proj; nullptr: the first group.
    const char* GroupCondition;
    // The C++ paths below the user key: the first of these that exists.
    std::array<const char*, 2> CppPathsKeys;
};

// The element names in the platform's group of EnvOptions.proj.
struct TEnvOptionsElements {
    const char* LibraryPath;
    const char* BrowsingPath;
    const char* DllOutputPath; // the BPL output folder, also the package search path
    const char* DcpOutput;
    const char* DebugDcuPath;
    const char* CppBplOutputPath; // preferred to DllOutputPath as the BPL output folder when present
    const char* CppIncludePath;   // nullptr: the IDE keeps its C++ paths in the registry only
    const char* CppLibraryPath;
    bool CppSearchIsLibraryPath; // the C++ search path is read from the library path
    bool CreatesCppElements;     // written C++ elements are created when missing, not only updated
};

// Where a generation of IDEs keeps its settings, and what the product needs there.
struct TIdeLayout {
    std::span<const TPlatformStore> Platforms; // the first is the one the IDE itself runs on
    const TEnvOptionsElements* EnvOptions;     // nullptr: no EnvOptions.proj
    // The compilers need unit scopes (-NS) for unscoped unit names such as Forms.
    bool UnitScopes;
    // The IDE defines $(Platform), $(BDSLIB), $(BDSBIN), $(BDSINCLUDE) and $(BDSUSERDIR) itself.
    bool DefinesVariables;
    // Its C++ personality uses the Delphi packages, built with the C++ output (-JL) into the
    // output folders, which its C++ include and library paths take. Earlier IDEs build the
    // C++Builder projects when they have no Delphi personality, and get the .hpp files copied
    // into their VCL include folder.
    bool DelphiPackagesForCpp;
    // A path list is written back keeping the stored text of every entry the run did not
    // change, so that a removal leaves the stored value as it was; earlier IDEs get the joined
    // entries, as they always did.
    bool KeepsListText;
};

// One BDS version key (the key names 1.0 ... 23.0, 37.0).
struct TBdsVersion {
    int Key; // the number before the "." of the key name
    const char* ProductName;
    const char* VersionText;
    int VersionNumber;
    const char* ResourceSuffix; // of the core resource module, bin\coreide<suffix>
    uint32_t ResourceId;        // of the projects folder's name, for version keys below 4
    bool Supported;
    // The name of the product's folders for the IDE after "Delphi": the package and output
    // folders, the backup's folder and --ides= (Delphi2010, DelphiXE, Delphi10Seattle).
    const char* FolderName;
    // The product name when the IDE has only the Delphi or only the C++Builder personality;
    // nullptr: the name stays.
    const char* DelphiOnlyName;
    const char* CppOnlyName;
    const char* Company;   // of its registry keys and its settings folder in the application data
    const char* Documents; // its folder below the documents folders, from version key 5 on
    const TIdeLayout* Layout;
    bool Ide64; // its later updates add the 64-bit IDE (bin64)
};

// In the order of the version keys; 13.0 was never a RAD Studio release and is skipped.
extern const std::array<TBdsVersion, 24> BdsVersionTable;

// The row of a version key; nullptr for a key the installer does not know.
const TBdsVersion* FindBdsVersion(int key);

// The layout of Delphi and C++Builder 5 to 7: the registry only, no C++ paths.
const TIdeLayout& ClassicLayout();

// The settings of the 64-bit IDE that no source confirms, and the file it runs from.
inline constexpr const char* kIde64File = "bin64\\bds.exe"; // unconfirmed: also called bds64.exe
inline constexpr const char* kKnownPackagesX64 = "Known Packages x64";
inline constexpr const char* kDisabledPackagesX64 = "Disabled Packages x64"; // unconfirmed

} // namespace corvalis
