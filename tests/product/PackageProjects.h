#pragma once

// The package projects of the sample product: which packages exist for which IDE, what
// they require and contain, and their project texts (.dpk for Delphi, .bpk for C++Builder).

#include <array>
#include <string>
#include <vector>

namespace corvalis::product {

enum class Language { Delphi, Cpp };

// One IDE version's folder: the package folder below each Packages* folder and the output
// folder below the product's root have this name.
struct IdeFolder {
    const char* name;   // "Delphi7", "CBuilder2007"
    Language language;  // .dpk or .bpk projects, letter D or C in their names
    int versionNumber;  // in the project names: CorvalisD7, CorvalisC11
    bool vcl50;         // the IDE's packages are vcl50, vcldb50, dsnide50 (version 5)
    bool win64 = false; // built for Win32 and Win64, into the output folder's Win32 and Win64 (XE2 on)
};

constexpr std::array<IdeFolder, 17> kIdeFolders = {{
    {"Delphi5", Language::Delphi, 5, true},
    {"Delphi6", Language::Delphi, 6, false},
    {"Delphi7", Language::Delphi, 7, false},
    {"Delphi2005", Language::Delphi, 9, false},
    {"Delphi2006", Language::Delphi, 10, false},
    {"Delphi2007", Language::Delphi, 11, false},
    {"Delphi2009", Language::Delphi, 12, false},
    {"Delphi2010", Language::Delphi, 14, false},
    {"CBuilder5", Language::Cpp, 5, true},
    {"CBuilder6", Language::Cpp, 6, false},
    {"CBuilder2007", Language::Cpp, 11, false},
    {"DelphiXE", Language::Delphi, 15, false},
    {"DelphiXE2", Language::Delphi, 16, false, true},
    {"Delphi10Sydney", Language::Delphi, 27, false, true},
    {"Delphi11", Language::Delphi, 28, false, true},
    {"Delphi12", Language::Delphi, 29, false, true},
    {"Delphi13", Language::Delphi, 37, false, true},
}};

// The package folders of the four compilation modes: standard, Tnt, TMS, DevExpress.
constexpr std::array<const char*, 4> kModeFolders = {"Packages", "Packages_Tnt", "Packages_TMS", "Packages_DevExpress"};

// A connectivity package pair: Corvalis<name> and CorvalisDsgn<name>.
struct Provider {
    const char* name;
    bool builtIn; // in every distribution; the others only with the metapvds marker
};

constexpr std::array<Provider, 35> kProviders = {{
    {"ADO", true},         {"BDE", true},        {"IBEx", true},        {"DbEx", true},        {"Zeos", false},
    {"CrMyDAC", false},    {"CrODAC", false},    {"CrSDAC", false},     {"CrIbDAC", false},    {"UniDAC", false},
    {"PgDAC", false},      {"FIBPlus", false},   {"DOA", false},        {"Accuracer", false},  {"EasyTable", false},
    {"IDAC", false},       {"MoMyDAC", false},   {"MoPgDAC", false},    {"MoMSDAC", false},    {"SD", false},
    {"DBISAM", false},     {"IBO", false},       {"Advantage", false},  {"NexusDB", false},    {"NexusDB3", false},
    {"AbsoluteDB", false}, {"ElevateDB", false}, {"ElevateDBu", false}, {"ElevateDB2", false}, {"ElevateDB2u", false},
    {"VistaDB", false},    {"SvODBCDAC", false}, {"AnyDAC", false},     {"NativeDB", false},   {"ODBCExpress", false},
}};

struct PackageProject {
    struct Unit {
        std::string name; // the source is Sources\<name>.pas
        std::string form; // the form the unit holds, or empty
    };

    std::string stem; // "Corvalis", "CorvalisDsgn", "CorvalisADO", "CorvalisDsgnADO"
    bool designTime = false;
    std::string description;
    std::vector<std::string> requiredPackages; // project names of the IDE's and the product's packages
    std::vector<Unit> units;
};

// The project name of a package stem for the IDE: CorvalisDsgnD7, CorvalisC11.
std::string ProjectName(const std::string& stem, const IdeFolder& ide);
// With the extension of the IDE's projects: CorvalisDsgnD7.dpk, CorvalisC11.bpk.
std::string ProjectFileName(const std::string& stem, const IdeFolder& ide);

// The core runtime and design packages, then each provider's pair, in build order.
std::vector<PackageProject> PackageProjects(const IdeFolder& ide, bool withConnectivity);

// The project file's text, the same in every compilation mode's folder.
std::string ProjectText(const PackageProject& package, const IdeFolder& ide);
// The C++ main source that a .bpk project names.
std::string CppMainSource(const PackageProject& package, const IdeFolder& ide);

} // namespace corvalis::product
