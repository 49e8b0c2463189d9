#include "ide/DelphiData.h"

#include <algorithm>
#include <cctype>

#include "ide/CmdLineUtils.h"
#include "ide/Utils.h"
#include "log/uLogger.h"

// Discovery, identity and folders of the IDEs. Their stored settings are in DelphiDataStore.cpp.

namespace corvalis {

namespace {

const char* const kEmbarcaderoBase = "\\SOFTWARE\\Embarcadero\\";

struct PersonalityName {
    Personality bit;
    const char* name;
};

constexpr PersonalityName kPersonalities[] = {
    {psDelphiWin32, "Delphi.Win32"}, {psDelphiNet, "Delphi.NET"},    {psBCB, "BCB"},
    {psBCBNet, "BCB.NET"},           {psCSharpBuilder, "C#Builder"}, {psVBNet, "VB.NET"},
};

// The company whose keys hold the IDE: that of its version, or of the last version before
// one the installer does not know.
std::string CompanyOf(bool bds, int keyVersion)
{
    std::string company = "Borland";
    for (const TBdsVersion& version : BdsVersionTable)
        if (bds && version.Key <= keyVersion)
            company = version.Company;
    return company;
}

// The number before the first "."; 0 when there is no "." or no number before it.
int32_t KeyVersionOf(const std::string& keyVersionText)
{
    const size_t dot = keyVersionText.find('.');
    if (dot == std::string::npos || dot == 0 || dot > 9)
        return 0;
    const std::string number = keyVersionText.substr(0, dot);
    if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return std::stoi(number);
}

// Keeps the output lines of a tool, to read a variable from them.
class OutputLines : public TLogBase {
public:
    using TLogBase::TLogBase;
    TStringList Lines;

protected:
    void DoLog(TLogLevel level, const std::u16string& text, DateTime) override
    {
        if (level == llDebug)
            Lines.push_back(Utf16ToUtf8(text));
    }
};

// Sets a flag for as long as it lives.
class Reentry {
public:
    explicit Reentry(bool& flag) : flag_(flag) { flag_ = true; }
    Reentry(const Reentry&) = delete;
    Reentry& operator=(const Reentry&) = delete;
    ~Reentry() { flag_ = false; }

private:
    bool& flag_;
};

} // namespace

std::string IdeVersionNames(int versionNumber)
{
    for (const TBdsVersion& version : BdsVersionTable)
        if (version.VersionNumber == versionNumber)
            return version.FolderName;
    if (versionNumber == 13)
        return "dummy";
    return versionNumber >= 1 && versionNumber <= 8 ? std::to_string(versionNumber) : std::string();
}

std::string CollapseDoubledBackslashes(std::string path)
{
    for (size_t i = path.size(); i-- > 2;)
        if (path[i] == '\\' && path[i - 1] == '\\')
            path.erase(i, 1);
    return path;
}

TCompileTarget::TCompileTarget(const Platform& platform, std::string familyName, std::string keyVersionText,
                               const std::string& registryKeyName)
    : FamilyName(std::move(familyName)), KeyVersionText(std::move(keyVersionText)), platform_(platform)
{
    KeyVersion = KeyVersionOf(KeyVersionText);
    version_ = IsBDS() ? FindBdsVersion(KeyVersion) : nullptr;
    if (version_ != nullptr) {
        ProductName = version_->ProductName;
        VersionText = version_->VersionText;
        VersionNumber = version_->VersionNumber;
    } else {
        ProductName = FamilyName;
        VersionNumber = KeyVersion;
        VersionText = KeyVersionText;
    }
    // The base follows the version, not the root under which discovery found the key.
    const std::string base = "\\SOFTWARE\\" + CompanyOf(IsBDS(), KeyVersion) + "\\";
    MachineKey = base + FamilyName + "\\" + KeyVersionText;
    UserKey = base + registryKeyName + "\\" + KeyVersionText;
    Load();
    Valid = !RootDir.empty() && !AppFile.empty() && platform_.files.FileExists(AppFile);
}

void TCompileTarget::Load()
{
    if (auto machine = platform_.registry.OpenKey(RootKey::LocalMachine, MachineKey, KeyAccess::Read)) {
        if (machine->ValueExists("Edition"))
            Edition = machine->ReadString("Edition");
        else if (machine->ValueExists("Version"))
            Edition = machine->ReadString("Version");
        else
            Edition = IsBDS() && KeyVersion == 5 ? "" : "Pers";
        if (machine->ValueExists("App"))
            AppFile = machine->ReadString("App");
        if (machine->ValueExists("RootDir"))
            RootDir = ExcludeTrailingPathDelimiter(machine->ReadString("RootDir"));
        if (machine->ValueExists("ProductVersion"))
            ProductVersion = machine->ReadString("ProductVersion");
        LoadUpdateLevels(*machine);
    }
    // Where a version the installer does not know keeps its settings is not known either.
    if (IsUnknownVersion())
        return;
    if (IsBDS()) {
        DefaultProjectsDir = LoadDefaultProjectsDir();
        DefaultCommonDir = LoadDefaultCommonDir();
    }
    LoadEnvVars();

    if (IsBDS())
        if (auto key = platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + "\\Personalities", KeyAccess::Read))
            Personalities = key->ValueNames();
    if (version_ != nullptr && version_->DelphiOnlyName != nullptr) {
        if (SupportsPersonalities(psDelphiWin32, true))
            ProductName = version_->DelphiOnlyName;
        else if (SupportsPersonalities(psBCB, true))
            ProductName = version_->CppOnlyName;
    }

    LoadPathsFromEnvOptions();
    for (const TPlatformStore& store : Layout().Platforms)
        LoadPathsFromRegistry(store);
    loadedWin32_ = Library(pfWin32);
    loadedWin64_ = Library(pfWin64);

    PersonalEdition = !platform_.files.FileExists(VersionedName(RootDir + "\\bin\\dcldb.bpl"));
    if (PersonalEdition)
        Edition = VersionNumber == 5 ? "Standard" : "Personal";
    if (ProductVersion.empty())
        ProductVersion = std::to_string(VersionNumber) + "." + std::to_string(UpdateLevel);

    LoadPackageList(KnownIdePackages, "Known IDE Packages");
    LoadPackageList(KnownPackages, "Known Packages");
    LoadPackageList(DisabledPackages, "Disabled Packages");
    if (!Ide64File().empty()) {
        LoadPackageList(KnownPackagesX64, kKnownPackagesX64);
        LoadPackageList(DisabledPackagesX64, kDisabledPackagesX64);
    }
}

void TCompileTarget::LoadUpdateLevels(const IRegistryKey& machineKey)
{
    if (IsBDS()) {
        if (machineKey.ValueExists("UpdatePackInstalled")) {
            const std::string level = Trim(machineKey.ReadString("UpdatePackInstalled"));
            const bool number = !level.empty() && level.size() < 10 &&
                                std::all_of(level.begin(), level.end(), [](char c) { return c >= '0' && c <= '9'; });
            UpdateLevel = number ? std::stoi(level) : 0;
        }
        return;
    }
    for (int i = 1; i <= 10; ++i) {
        if (machineKey.ValueExists("Update #" + std::to_string(i)))
            UpdateLevel = i;
        if (machineKey.ValueExists(i == 1 ? std::string("Pascal RTL Patch") : "Pascal RTL Patch #" + std::to_string(i)))
            RtlPatchLevel = i;
    }
}

std::string TCompileTarget::LoadDefaultProjectsDir() const
{
    const TBdsVersion* bds = version_;
    if (bds == nullptr)
        return {};
    const std::string personal = platform_.shell.FolderPath(SpecialFolder::Personal).value_or("");
    if (KeyVersion >= 4)
        return PathJoin(personal,
                        KeyVersion >= 5 ? std::string(bds->Documents) + "\\Projects" : "Borland Studio Projects");

    // The folder's name is localized in the IDE's resource module for the user's language.
    const std::string base = RootDir + "\\Bin\\coreide" + bds->ResourceSuffix + ".";
    const std::string language = platform_.locale.LanguageAbbreviation();
    std::string module;
    for (const std::string& candidate : {base, base + language, base + language.substr(0, 2)})
        if (platform_.files.FileExists(candidate)) {
            module = candidate;
            break;
        }
    std::string name;
    if (!module.empty())
        name = platform_.locale.LoadStringResource(module, bds->ResourceId, 1023).value_or("");
    if (name.empty())
        name = "Borland Studio Projects";
    return ExcludeTrailingPathDelimiter(CollapseDoubledBackslashes(personal + "\\" + name));
}

std::string TCompileTarget::LoadDefaultCommonDir() const
{
    if (KeyVersion < 5)
        return {};
    // The IDE's own environment script defines the folder.
    if (const auto interpreter = platform_.processes.GetEnv("COMSPEC")) {
        const std::string commandLine =
            *interpreter + " /C \"" + platform_.files.ShortPath(RootDir) + "\\bin\\rsvars.bat && set BDS\"";
        OutputLines output(platform_.locale);
        if (RunProcess(platform_.processes, platform_.locale, output, commandLine, "") == 0)
            for (const std::string& line : output.Lines)
                if (StartsText("BDSCOMMONDIR=", line) && line.size() > 13)
                    return line.substr(13);
    }
    const std::string common = platform_.shell.FolderPath(SpecialFolder::CommonDocuments).value_or("");
    return IncludeTrailingPathDelimiter(common) + version_->Documents + "\\" + std::to_string(KeyVersion) + ".0";
}

const TIdeLayout& TCompileTarget::Layout() const
{
    return version_ != nullptr ? *version_->Layout : ClassicLayout();
}

std::vector<TPlatform> TCompileTarget::Platforms() const
{
    std::vector<TPlatform> platforms;
    for (const TPlatformStore& store : Layout().Platforms)
        platforms.push_back(store.Platform);
    return platforms;
}

TLibrarySettings& TCompileTarget::Library(TPlatform platform)
{
    return platform == pfWin32 ? *this : Win64;
}

const TLibrarySettings& TCompileTarget::Library(TPlatform platform) const
{
    return platform == pfWin32 ? *this : Win64;
}

std::string TCompileTarget::LibraryKey(TPlatform platform) const
{
    for (const TPlatformStore& store : Layout().Platforms)
        if (store.Platform == platform)
            return UserKey + store.LibraryKey;
    return {};
}

std::string TCompileTarget::CompilerFile(TPlatform platform) const
{
    return RootDir + "\\Bin\\" + PlatformFacts(platform).Compiler;
}

std::string TCompileTarget::Ide64File() const
{
    return version_ != nullptr && version_->Ide64 ? RootDir + "\\" + kIde64File : std::string();
}

bool TCompileTarget::Has64BitIde() const
{
    const std::string file = Ide64File();
    return !file.empty() && platform_.files.FileExists(file);
}

bool TCompileTarget::BuildsCppProjects() const
{
    return IsBCB() && !Layout().DelphiPackagesForCpp;
}

std::string TCompileTarget::DisplayName() const
{
    return ProductName + " " + VersionText + " (" + Edition + ")";
}

bool TCompileTarget::IsBDS() const
{
    return FamilyName == "BDS";
}

bool TCompileTarget::IsDelphi() const
{
    return UpperCase(ProductName).find("DELPHI") != std::string::npos;
}

bool TCompileTarget::IsBCB() const
{
    return UpperCase(ProductName).find("BUILDER") != std::string::npos;
}

int TCompileTarget::PersonalitySet() const
{
    if (!IsBDS())
        return IsDelphi() ? psDelphiWin32 : IsBCB() ? psBCB : 0;
    int set = 0;
    for (const PersonalityName& personality : kPersonalities)
        if (ContainsText(Personalities, personality.name))
            set |= personality.bit;
    return set;
}

bool TCompileTarget::SupportsPersonalities(int set, bool exact) const
{
    return exact ? PersonalitySet() == set : (PersonalitySet() & set) == set;
}

std::string TCompileTarget::PersonalityLetter() const
{
    if (IsBDS()) {
        if (SupportsPersonalities(psDelphiWin32, false) || VersionNumber >= 4)
            return "D";
        return SupportsPersonalities(psBCB, false) ? "C" : "";
    }
    return IsDelphi() ? "D" : IsBCB() ? "C" : "";
}

std::string TCompileTarget::Dcc32File() const
{
    return CompilerFile(pfWin32);
}

std::string TCompileTarget::MakeFile() const
{
    return RootDir + "\\Bin\\make.exe";
}

std::string TCompileTarget::BplDir(TPlatform platform) const
{
    return ExcludeTrailingPathDelimiter(ExpandDirMacros(Library(platform).BplOutputDir, platform));
}

std::string TCompileTarget::DcpDir(TPlatform platform) const
{
    return ExpandDirMacros(Library(platform).DcpOutputDir, platform);
}

namespace {

std::optional<std::string> EnvVar(const TStringList& variables, const std::string& name)
{
    for (const std::string& entry : variables) {
        const size_t equals = entry.find('=');
        if (SameText(entry.substr(0, equals), name))
            return equals == std::string::npos ? std::string() : entry.substr(equals + 1);
    }
    return std::nullopt;
}

} // namespace

// An IDE variable, else one of the installer's environment; empty when undefined.
std::string TCompileTarget::Variable(const std::string& name) const
{
    return EnvVar(EnvVars, name).value_or(platform_.processes.GetEnv(name).value_or(""));
}

// A variable the IDE defines itself and stores nowhere; nullopt for any other name.
std::optional<std::string> TCompileTarget::IdeVariable(const std::string& name, TPlatform platform) const
{
    if (!Layout().DefinesVariables)
        return std::nullopt;
    if (name == "platform")
        return PlatformFacts(platform).Name;
    if (name == "bdslib")
        return RootDir + "\\lib";
    if (name == "bdsbin")
        return RootDir + "\\bin";
    if (name == "bdsinclude")
        return RootDir + "\\include";
    if (name == "bdsuserdir")
        return PathJoin(platform_.shell.FolderPath(SpecialFolder::Personal).value_or(""),
                        std::string(version_->Documents) + "\\" + KeyVersionText);
    return std::nullopt;
}

std::string TCompileTarget::ProjectsDir() const
{
    if (!IsBDS())
        return CollapseDoubledBackslashes(RootDir + "\\Projects");
    Reentry reentry(expandingProjectsDir_);
    std::string dir = ExcludeTrailingPathDelimiter(ExpandDirMacros(Variable("BDSPROJECTSDIR")));
    if (dir.empty())
        dir = DefaultProjectsDir;
    return CollapseDoubledBackslashes(dir);
}

std::string TCompileTarget::CommonDir() const
{
    if (!IsBDS() || KeyVersion < 5)
        return ProjectsDir();
    Reentry reentry(expandingCommonDir_);
    std::string dir = ExpandDirMacros(Variable("BDSCOMMONDIR"));
    if (dir.empty())
        dir = DefaultCommonDir;
    return ExcludeTrailingPathDelimiter(CollapseDoubledBackslashes(dir));
}

std::string TCompileTarget::ExpandDirMacros(const std::string& dir, TPlatform platform) const
{
    std::string path = dir;
    size_t i = 0;
    while (i + 1 < path.size()) {
        if (path[i] != '$' || path[i + 1] != '(') {
            ++i;
            continue;
        }
        // An unclosed macro runs to the end of the text.
        const size_t close = std::min(path.find(')', i + 2), path.size());
        const std::string name = LowerCase(path.substr(i + 2, close - i - 2));

        std::string replacement;
        if (name == "delphi" || name == "bcb" || name == "bds")
            replacement = RootDir;
        else if (IsBDS() && name == "bdsprojectsdir")
            replacement = expandingProjectsDir_ ? name : ProjectsDir();
        else if (IsBDS() && KeyVersion >= 5 && name == "bdscommondir")
            replacement = expandingCommonDir_ ? name : CommonDir();
        else if (const auto own = EnvVar(EnvVars, name) ? std::nullopt : IdeVariable(name, platform))
            replacement = *own;
        else
            replacement = CollapseDoubledBackslashes(Variable(name));

        if (replacement == name) {
            ++i;
            continue;
        }
        // Replacements are not expanded again: the walk goes on after the inserted text.
        path.replace(i, std::min(close + 1, path.size()) - i, replacement);
        i += replacement.size();
    }
    return path;
}

std::string TCompileTarget::InsertDirMacros(const std::string& dir) const
{
    const ILocale& locale = platform_.locale;
    const std::string root = RootDir + "\\";
    if (locale.StartsText(root, dir)) {
        const std::string macro = IsBDS() ? "$(BDS)" : IsDelphi() ? "$(DELPHI)" : IsBCB() ? "$(BCB)" : RootDir;
        return macro + dir.substr(RootDir.size());
    }
    if (IsBDS()) {
        const std::string projects = ProjectsDir();
        if (locale.StartsText(projects + "\\", dir))
            return "$(BDSPROJECTSDIR)" + dir.substr(projects.size());
        if (KeyVersion >= 5) {
            const std::string common = CommonDir();
            if (locale.StartsText(common + "\\", dir))
                return "$(BDSCOMMONDIR)" + dir.substr(common.size());
        }
    }
    return dir;
}

std::string TCompileTarget::VersionedName(const std::string& fileName) const
{
    const std::string digits = IsBDS() && KeyVersion == 5 ? "100" : std::to_string(VersionNumber) + "0";
    const std::string extension = ExtractFileExt(fileName);
    return fileName.substr(0, fileName.size() - extension.size()) + digits + extension;
}

std::string TCompileTarget::EnvOptionsFile() const
{
    if (Layout().EnvOptions == nullptr)
        return {};
    const std::string appData =
        ExcludeTrailingPathDelimiter(platform_.shell.FolderPath(SpecialFolder::AppData).value_or(""));
    return appData + "\\" + version_->Company + "\\BDS\\" + std::to_string(KeyVersion) + ".0\\EnvOptions.proj";
}

TCompileTargetList::TCompileTargetList(const Platform& platform, TCmdOptions& options) : platform_(platform)
{
    if (options.DelphiRegKey.empty())
        options.DelphiRegKey = "Delphi";
    if (options.BcbRegKey.empty())
        options.BcbRegKey = "C++Builder";
    if (options.BdsRegKey.empty())
        options.BdsRegKey = "BDS";
    if (!options.IgnoreDelphi)
        Scan("\\SOFTWARE\\Borland\\", "Delphi", options.DelphiRegKey);
    if (!options.IgnoreBcb)
        Scan("\\SOFTWARE\\Borland\\", "C++Builder", options.BcbRegKey);
    // BDS goes with Delphi: --ignore-bcb keeps the BDS IDEs with a C++ personality.
    if (!options.IgnoreDelphi) {
        Scan("\\SOFTWARE\\Borland\\", "BDS", options.BdsRegKey);
        Scan("\\SOFTWARE\\CodeGear\\", "BDS", options.BdsRegKey);
        Scan(kEmbarcaderoBase, "BDS", options.BdsRegKey);
    }
}

void TCompileTargetList::Scan(const std::string& base, const std::string& family, const std::string& keyName)
{
    auto familyKey = platform_.registry.OpenKey(RootKey::LocalMachine, base + family, KeyAccess::Read);
    if (!familyKey)
        return;
    // The Borland and CodeGear keys hold the versions up to 2010, the Embarcadero key the later
    // ones and any the installer does not know yet.
    const bool embarcadero = base == kEmbarcaderoBase;
    for (const std::string& version : familyKey->SubKeyNames()) {
        if (version.empty() || version[0] < '1' || version[0] > '9')
            continue;
        bool unknown = false;
        if (family == "BDS") {
            const TBdsVersion* bds = FindBdsVersion(KeyVersionOf(version));
            unknown = bds == nullptr;
            const bool newer = unknown || std::string(bds->Company) == "Embarcadero";
            if (newer != embarcadero || (!unknown && !bds->Supported))
                continue;
        }
        if (!platform_.registry.KeyExists(RootKey::CurrentUser, base + keyName + "\\" + version))
            continue;
        auto target = std::make_unique<TCompileTarget>(platform_, family, version, keyName);
        if (target->Valid)
            (unknown ? unknown_ : items_).push_back(std::move(target));
    }
}

} // namespace corvalis
