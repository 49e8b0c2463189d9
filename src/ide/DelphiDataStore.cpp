#include "ide/DelphiData.h"

#include <algorithm>

#include "ide/EnvOptions.h"
#include "ide/Utils.h"
#include "platform/Exceptions.h"

// The settings an IDE stores: path lists, its own environment variables and package lists,
// in the user registry and, for BDS 2007 and later, in EnvOptions.proj.

namespace corvalis {
namespace {

std::string NameOf(const std::string& entry)
{
    return entry.substr(0, entry.find('='));
}

std::string ValueOf(const TStringList& entries, const std::string& name)
{
    for (const std::string& entry : entries)
        if (SameText(NameOf(entry), name))
            return entry.find('=') == std::string::npos ? std::string() : entry.substr(entry.find('=') + 1);
    return {};
}

std::string Joined(const TStringList& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

} // namespace

TStringList PathListFromString(const std::string& text)
{
    TStringList list;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        const size_t end = std::min(text.find(';', i), text.size());
        std::string entry = Trim(text.substr(i, end - i));
        if (entry.size() >= 2 && entry.front() == '"' && entry.back() == '"')
            entry = Trim(entry.substr(1, entry.size() - 2));
        list.push_back(ExcludeTrailingPathDelimiter(entry));
        i = end + 1;
    }
    return list;
}

std::string PathListToString(const TStringList& list)
{
    std::string text;
    for (size_t i = 0; i < list.size(); ++i)
        text += (i > 0 ? ";" : "") + list[i];
    return text;
}

std::string TDelphiPackage::Name() const
{
    return ExtractFileName(FileName);
}

void TDelphiPackageList::Add(const std::string& fileName, const std::string& description)
{
    const std::string name = ExtractFileName(fileName);
    items_.push_back(
        {fileName, description.empty() ? name.substr(0, name.size() - ExtractFileExt(name).size()) : description});
}

int TDelphiPackageList::IndexOf(const std::string& fileName) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (SameText(items_[i].FileName, fileName))
            return static_cast<int>(i);
    return -1;
}

void TCompileTarget::LoadEnvVars()
{
    auto key = platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + "\\Environment Variables", KeyAccess::Read);
    if (!key)
        return;
    for (const std::string& name : key->ValueNames())
        LoadedEnvVars.push_back(name + "=" + key->ReadString(name));
    EnvVars = LoadedEnvVars;
}

void TCompileTarget::LoadPathsFromEnvOptions()
{
    if (!IsBDS() || KeyVersion < 5 || !platform_.files.FileExists(EnvOptionsFile()))
        return;
    std::optional<TEnvOptions> file;
    try {
        file.emplace(platform_, EnvOptionsFile());
    } catch (const Exception&) {
        // The IDE's registry copy serves; saving reports the broken file.
        return;
    }
    if (const auto dcp = file->Value("Win32DCPOutput"))
        DcpOutputDir = ExcludeTrailingPathDelimiter(*dcp);
    if (const auto bpl = file->Value("CBuilderBPLOutputPath"))
        BplOutputDir = ExcludeTrailingPathDelimiter(*bpl);
    else if (const auto dll = file->Value("Win32DLLOutputPath"))
        BplOutputDir = ExcludeTrailingPathDelimiter(*dll);
    const auto load = [&](const char* element, TStringList& list) {
        if (const auto value = file->Value(element))
            list = PathListFromString(*value);
    };
    load("Win32BrowsingPath", BrowsingPaths);
    load("Win32LibraryPath", SearchPaths);
    load("Win32DLLOutputPath", PackageSearchPaths);
    load("Win32DebugDCUPath", DebugDcuPaths);
    if (KeyVersion == 5 && SupportsPersonalities(psBCB, false)) {
        load("CBuilderIncludePath", CppIncludePaths);
        load("Win32LibraryPath", CppSearchPaths);
        load("CBuilderLibraryPath", CppLibraryPaths);
    }
}

void TCompileTarget::LoadPathsFromRegistry()
{
    if (auto library = platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + "\\Library", KeyAccess::Read)) {
        if (BplOutputDir.empty()) {
            BplOutputDir = ExcludeTrailingPathDelimiter(library->ReadString("Package DPL Output"));
            if (BplOutputDir.empty() && !IsBDS())
                BplOutputDir = RootDir + "\\Projects\\BPL";
        }
        if (DcpOutputDir.empty()) {
            DcpOutputDir = ExcludeTrailingPathDelimiter(library->ReadString("Package DCP Output"));
            if (DcpOutputDir.empty() && !IsBDS())
                DcpOutputDir = BplOutputDir;
        }
        if (BrowsingPaths.empty())
            BrowsingPaths = PathListFromString(library->ReadString("Browsing Path"));
        if (PackageSearchPaths.empty())
            PackageSearchPaths = PathListFromString(library->ReadString("Package Search Path"));
        if (SearchPaths.empty())
            SearchPaths = PathListFromString(library->ReadString("Search Path"));
        if (DebugDcuPaths.empty() && library->ValueExists("Debug DCU Path"))
            DebugDcuPaths = PathListFromString(library->ReadString("Debug DCU Path"));
    }
    if (DebugDcuPaths.empty())
        if (auto debugging = platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + "\\Debugging", KeyAccess::Read))
            DebugDcuPaths = PathListFromString(debugging->ReadString("Debug DCUs Path"));
    if (!IsBDS())
        return;
    // The C++ lists are read from the key that SavePaths writes, so that saving never puts
    // lists the IDE did not have into it.
    const std::string cppKey = CppPathsKey();
    if (auto cpp =
            cppKey.empty() ? nullptr : platform_.registry.OpenKey(RootKey::CurrentUser, cppKey, KeyAccess::Read)) {
        CppIncludePaths = PathListFromString(cpp->ReadString("IncludePath"));
        CppSearchPaths = PathListFromString(cpp->ReadString("SearchPath"));
        if (cpp->ValueExists("LibraryPath"))
            CppLibraryPaths = PathListFromString(cpp->ReadString("LibraryPath"));
    }
}

// "\C++\Paths" from version key 5 on when it exists, else "\CppPaths"; empty when neither does.
std::string TCompileTarget::CppPathsKey() const
{
    if (KeyVersion >= 5 && platform_.registry.KeyExists(RootKey::CurrentUser, UserKey + "\\C++\\Paths"))
        return UserKey + "\\C++\\Paths";
    if (platform_.registry.KeyExists(RootKey::CurrentUser, UserKey + "\\CppPaths"))
        return UserKey + "\\CppPaths";
    return {};
}

void TCompileTarget::LoadPackageList(TDelphiPackageList& list, const std::string& subkey)
{
    list.Clear();
    auto key = platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + "\\" + subkey, KeyAccess::Read);
    if (!key)
        return;
    for (const std::string& name : key->ValueNames())
        list.Add(name, key->ReadString(name));
}

void TCompileTarget::SavePaths()
{
    // Read first: a missing or broken file stops the save before the registry is touched.
    if (IsBDS() && KeyVersion >= 5) {
        TEnvOptions file(platform_, EnvOptionsFile());
        file.SetValue("Win32BrowsingPath", PathListToString(BrowsingPaths));
        file.SetValue("Win32LibraryPath", PathListToString(SearchPaths));
        file.SetValue("Win32DebugDCUPath", PathListToString(DebugDcuPaths));
        if (KeyVersion == 5 && SupportsPersonalities(psBCB, false)) {
            file.SetValue("CBuilderIncludePath", PathListToString(CppIncludePaths));
            file.SetValue("CBuilderLibraryPath", PathListToString(CppLibraryPaths));
        }
        file.Save();
    }

    if (auto library = platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + "\\Library", KeyAccess::Write)) {
        library->WriteString("Browsing Path", PathListToString(BrowsingPaths));
        library->WriteString("Search Path", PathListToString(SearchPaths));
        if (library->ValueExists("Debug DCU Path"))
            library->WriteString("Debug DCU Path", PathListToString(DebugDcuPaths));
    }
    if (auto debugging = platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + "\\Debugging", KeyAccess::Write)) {
        const std::string debugDcus = PathListToString(DebugDcuPaths);
        if (debugging->ReadString("Debug DCUs Path") != debugDcus)
            debugging->WriteString("Debug DCUs Path", debugDcus);
    }
    if (IsBDS()) {
        const std::string cppKey = CppPathsKey();
        if (auto cpp =
                cppKey.empty() ? nullptr : platform_.registry.OpenKey(RootKey::CurrentUser, cppKey, KeyAccess::Write)) {
            const std::pair<const char*, const TStringList*> lists[] = {
                {"IncludePath", &CppIncludePaths}, {"SearchPath", &CppSearchPaths}, {"LibraryPath", &CppLibraryPaths}};
            for (const auto& [name, list] : lists) {
                const std::string joined = PathListToString(*list);
                if (!cpp->ValueExists(name) || cpp->ReadString(name) != joined)
                    cpp->WriteString(name, joined);
            }
        }
    }

    if (Joined(EnvVars) == Joined(LoadedEnvVars))
        return;
    auto variables =
        platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + "\\Environment Variables", KeyAccess::WriteCreate);
    if (!variables)
        return;
    for (const std::string& loaded : LoadedEnvVars)
        if (std::none_of(EnvVars.begin(), EnvVars.end(),
                         [&](const std::string& entry) { return SameText(NameOf(entry), NameOf(loaded)); }))
            variables->DeleteValue(NameOf(loaded));
    for (const std::string& entry : EnvVars) {
        const std::string value =
            entry.find('=') == std::string::npos ? std::string() : entry.substr(entry.find('=') + 1);
        if (value != ValueOf(LoadedEnvVars, NameOf(entry)))
            variables->WriteString(NameOf(entry), value);
    }
}

void TCompileTarget::SavePackageLists()
{
    SavePackageList(KnownPackages, "Known Packages");
    SavePackageList(DisabledPackages, "Disabled Packages");
}

void TCompileTarget::SavePackageList(const TDelphiPackageList& list, const std::string& subkey)
{
    auto key = platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + "\\" + subkey, KeyAccess::Write);
    if (!key)
        return;
    const TStringList stored = key->ValueNames();
    for (const std::string& name : stored)
        if (list.IndexOf(name) < 0)
            key->DeleteValue(name);
    // An entry that was already there keeps its stored description.
    for (const TDelphiPackage& package : list)
        if (!ContainsText(stored, package.FileName))
            key->WriteString(package.FileName, package.Description);
}

const TDelphiPackage* TCompileTarget::FindPackage(const std::string& fileName) const
{
    for (const TDelphiPackageList* list : {&KnownIdePackages, &KnownPackages})
        for (const TDelphiPackage& package : *list)
            if (SameText(package.Name(), fileName))
                return &package;
    return nullptr;
}

const TDelphiPackage* TCompileTarget::FindPackageByPrefix(const std::string& prefix) const
{
    for (const TDelphiPackageList* list : {&KnownIdePackages, &KnownPackages})
        for (const TDelphiPackage& package : *list)
            if (platform_.locale.StartsText(prefix, package.Name()))
                return &package;
    return nullptr;
}

std::string ExpandPackageTemplate(const TCompileTarget& target, const std::string& packageTemplate)
{
    std::string expanded;
    for (size_t i = 0; i < packageTemplate.size(); ++i) {
        if (packageTemplate[i] != '%') {
            expanded += packageTemplate[i];
            continue;
        }
        const char macro = i + 1 < packageTemplate.size() ? packageTemplate[i + 1] : '\0';
        switch (macro) {
        case 'e': expanded += target.PersonalityLetter(); break;
        case 'E': expanded += target.IsBDS() ? "B" : target.PersonalityLetter(); break;
        case 'v': expanded += std::to_string(target.VersionNumber); break;
        case 'V': expanded += IdeVersionNames(target.VersionNumber); break;
        default: continue; // an unknown macro loses only its "%"
        }
        ++i;
    }
    return expanded;
}

bool IsPackageInstalled(const TCompileTarget& target, const std::string& packageTemplate)
{
    const std::string expanded = ExpandPackageTemplate(target, packageTemplate);
    return target.FindPackage(packageTemplate) || target.FindPackageByPrefix(packageTemplate) ||
           target.FindPackage(expanded) || target.FindPackageByPrefix(expanded);
}

} // namespace corvalis
