#include "ide/BdsVersions.h"

namespace corvalis {
namespace {

constexpr const char* kWin32DcpFiles[] = {".dcp", ".bpi", ".lib"};
constexpr const char* kWin64DcpFiles[] = {".dcp", ".bpi", ".lib", ".a"};

// The scopes the IDE writes into a new VCL package project, its platform's first.
constexpr std::array<TPlatformFacts, 2> kPlatforms = {{
    {"Win32", "dcc32.exe", "dcc32.cfg",
     "Winapi;System.Win;Data.Win;Datasnap.Win;Web.Win;Soap.Win;Xml.Win;Bde;System;Xml;Data;Datasnap;Web;Soap;Vcl;"
     "Vcl.Imaging;Vcl.Touch;Vcl.Samples;Vcl.Shell",
     kWin32DcpFiles},
    {"Win64", "dcc64.exe", "dcc64.cfg",
     "Winapi;System.Win;Data.Win;Datasnap.Win;Web.Win;Soap.Win;Xml.Win;System;Xml;Data;Datasnap;Web;Soap;Vcl;"
     "Vcl.Imaging;Vcl.Touch;Vcl.Samples;Vcl.Shell",
     kWin64DcpFiles},
}};

constexpr TPlatformStore kClassicStore[] = {{pfWin32, "\\Library", nullptr, {nullptr, nullptr}}};
constexpr TPlatformStore kBdsStore[] = {{pfWin32, "\\Library", nullptr, {"\\CppPaths", nullptr}}};
constexpr TPlatformStore kBds2007Store[] = {{pfWin32, "\\Library", nullptr, {"\\C++\\Paths", "\\CppPaths"}}};
// The C++ keys of XE and later: unconfirmed.
constexpr TPlatformStore kXeStore[] = {{pfWin32, "\\Library", nullptr, {"\\C++\\Paths", nullptr}}};
constexpr TPlatformStore kPlatformStores[] = {
    {pfWin32, "\\Library\\Win32", "'$(Platform)'=='Win32'", {"\\C++\\Paths\\Win32", nullptr}},
    {pfWin64, "\\Library\\Win64", "'$(Platform)'=='Win64'", {"\\C++\\Paths\\Win64", nullptr}},
};

constexpr TEnvOptionsElements kBds2007Elements = {"Win32LibraryPath",
                                                  "Win32BrowsingPath",
                                                  "Win32DLLOutputPath",
                                                  "Win32DCPOutput",
                                                  "Win32DebugDCUPath",
                                                  "CBuilderBPLOutputPath",
                                                  "CBuilderIncludePath",
                                                  "CBuilderLibraryPath",
                                                  true,
                                                  true};
constexpr TEnvOptionsElements kBds2009Elements = {"Win32LibraryPath",
                                                  "Win32BrowsingPath",
                                                  "Win32DLLOutputPath",
                                                  "Win32DCPOutput",
                                                  "Win32DebugDCUPath",
                                                  "CBuilderBPLOutputPath",
                                                  nullptr,
                                                  nullptr,
                                                  false,
                                                  false};
// The C++ elements of XE and later are unconfirmed: only those a file already has are read and written.
constexpr TEnvOptionsElements kDelphiElements = {"DelphiLibraryPath",
                                                 "DelphiBrowsingPath",
                                                 "DelphiDLLOutputPath",
                                                 "DelphiDCPOutput",
                                                 "DelphiDebugDCUPath",
                                                 "CBuilderBPLOutputPath",
                                                 "CBuilderIncludePath",
                                                 "CBuilderLibraryPath",
                                                 false,
                                                 false};

constexpr TIdeLayout kClassic = {kClassicStore, nullptr, false, false, false, false};
constexpr TIdeLayout kBds = {kBdsStore, nullptr, false, false, false, false};
constexpr TIdeLayout kBds2007 = {kBds2007Store, &kBds2007Elements, false, false, false, false};
constexpr TIdeLayout kBds2009 = {kBds2007Store, &kBds2009Elements, false, false, false, false};
constexpr TIdeLayout kXe = {kXeStore, &kDelphiElements, false, true, true, true};
constexpr TIdeLayout kPlatformsLayout = {kPlatformStores, &kDelphiElements, true, true, true, true};

constexpr const char* kRad = "Embarcadero RAD Studio";
constexpr const char* kDelphi = "Embarcadero Delphi";
constexpr const char* kCpp = "Embarcadero C++Builder";
constexpr const char* kEmbarcadero = "Embarcadero";
constexpr const char* kStudio = "Embarcadero\\Studio";

} // namespace

const std::array<TBdsVersion, 24> BdsVersionTable = {{
    {1, "C#Builder", "1.0", 1, "71", 64507, false, "1", nullptr, nullptr, "Borland", "", &kBds, false},
    {2, "Delphi", "8", 8, "71", 64460, false, "8", nullptr, nullptr, "Borland", "", &kBds, false},
    {3, "Delphi", "2005", 9, "90", 64431, true, "2005", nullptr, nullptr, "Borland", "", &kBds, false},
    {4, "Borland Developer Studio", "2006", 10, "100", 0, true, "2006", nullptr, nullptr, "Borland", "", &kBds, false},
    {5, "CodeGear RAD Studio", "2007", 11, "100", 0, true, "2007", "CodeGear Delphi for Win32", "CodeGear C++Builder",
     "Borland", "RAD Studio", &kBds2007, false},
    {6, "CodeGear RAD Studio", "2009", 12, "120", 0, true, "2009", nullptr, nullptr, "CodeGear", "RAD Studio",
     &kBds2009, false},
    {7, "Embarcadero RAD Studio", "2010", 14, "140", 0, true, "2010", nullptr, nullptr, "CodeGear", "RAD Studio",
     &kBds2009, false},
    {8, kRad, "XE", 15, "150", 0, true, "XE", kDelphi, kCpp, kEmbarcadero, "RAD Studio", &kXe, false},
    {9, kRad, "XE2", 16, "160", 0, true, "XE2", kDelphi, kCpp, kEmbarcadero, "RAD Studio", &kPlatformsLayout, false},
    {10, kRad, "XE3", 17, "170", 0, true, "XE3", kDelphi, kCpp, kEmbarcadero, "RAD Studio", &kPlatformsLayout, false},
    {11, kRad, "XE4", 18, "180", 0, true, "XE4", kDelphi, kCpp, kEmbarcadero, "RAD Studio", &kPlatformsLayout, false},
    {12, kRad, "XE5", 19, "190", 0, true, "XE5", kDelphi, kCpp, kEmbarcadero, "RAD Studio", &kPlatformsLayout, false},
    {13, "", "", 0, "", 0, false, "", nullptr, nullptr, kEmbarcadero, "", &kPlatformsLayout, false},
    {14, kRad, "XE6", 20, "200", 0, true, "XE6", kDelphi, kCpp, kEmbarcadero, kStudio, &kPlatformsLayout, false},
    {15, kRad, "XE7", 21, "210", 0, true, "XE7", kDelphi, kCpp, kEmbarcadero, kStudio, &kPlatformsLayout, false},
    {16, kRad, "XE8", 22, "220", 0, true, "XE8", kDelphi, kCpp, kEmbarcadero, kStudio, &kPlatformsLayout, false},
    {17, kRad, "10 Seattle", 23, "230", 0, true, "10Seattle", kDelphi, kCpp, kEmbarcadero, kStudio, &kPlatformsLayout,
     false},
    {18, kRad, "10.1 Berlin", 24, "240", 0, true, "10Berlin", kDelphi, kCpp, kEmbarcadero, kStudio, &kPlatformsLayout,
     false},
    {19, kRad, "10.2 Tokyo", 25, "250", 0, true, "10Tokyo", kDelphi, kCpp, kEmbarcadero, kStudio, &kPlatformsLayout,
     false},
    {20, kRad, "10.3 Rio", 26, "260", 0, true, "10Rio", kDelphi, kCpp, kEmbarcadero, kStudio, &kPlatformsLayout, false},
    {21, kRad, "10.4 Sydney", 27, "270", 0, true, "10Sydney", kDelphi, kCpp, kEmbarcadero, kStudio, &kPlatformsLayout,
     false},
    {22, kRad, "11 Alexandria", 28, "280", 0, true, "11", kDelphi, kCpp, kEmbarcadero, kStudio, &kPlatformsLayout,
     false},
    {23, kRad, "12 Athens", 29, "290", 0, true, "12", kDelphi, kCpp, kEmbarcadero, kStudio, &kPlatformsLayout, true},
    {37, kRad, "13 Florence", 37, "370", 0, true, "13", kDelphi, kCpp, kEmbarcadero, kStudio, &kPlatformsLayout, true},
}};

const TPlatformFacts& PlatformFacts(TPlatform platform)
{
    return kPlatforms[platform];
}

const TBdsVersion* FindBdsVersion(int key)
{
    for (const TBdsVersion& version : BdsVersionTable)
        if (version.Key == key)
            return &version;
    return nullptr;
}

const TIdeLayout& ClassicLayout()
{
    return kClassic;
}

} // namespace corvalis
