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

// The entry a stored list's text between two separators holds.
std::string StoredEntry(const std::string& text)
{
    const TStringList entries = PathListFromString(text);
    return entries.empty() ? std::string() : entries.front();
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

std::string MergedPathList(const std::string& stored, const TStringList& list)
{
    std::vector<std::string> texts = stored.empty() ? std::vector<std::string>() : SplitString(stored, ';');
    const bool finalSeparator = !texts.empty() && texts.back().empty();
    if (finalSeparator)
        texts.pop_back();
    std::vector<std::string> merged;
    size_t next = 0;
    for (const std::string& entry : list) {
        // The stored entries before the next one kept were removed.
        size_t kept = next;
        while (kept < texts.size() && StoredEntry(texts[kept]) != entry)
            ++kept;
        if (kept < texts.size()) {
            merged.push_back(texts[kept]);
            next = kept + 1;
        } else {
            merged.push_back(entry);
        }
    }
    std::string text;
    for (size_t i = 0; i < merged.size(); ++i)
        text += (i > 0 ? ";" : "") + merged[i];
    return text + (finalSeparator && !merged.empty() ? ";" : "");
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
    const TEnvOptionsElements* names = Layout().EnvOptions;
    if (names == nullptr || !platform_.files.FileExists(EnvOptionsFile()))
        return;
    std::optional<TEnvOptions> file;
    try {
        file.emplace(platform_, EnvOptionsFile());
    } catch (const Exception&) {
        // The IDE's registry copy serves; saving reports the broken file.
        return;
    }
    const bool cpp = SupportsPersonalities(psBCB, false);
    for (const TPlatformStore& store : Layout().Platforms) {
        TLibrarySettings& settings = Library(store.Platform);
        const auto value = [&](const char* element) {
            return element != nullptr ? file->Value(element, store.GroupCondition) : std::nullopt;
        };
        const auto load = [&](const char* element, TStringList& list) {
            if (const auto text = value(element))
                list = PathListFromString(*text);
        };
        if (const auto dcp = value(names->DcpOutput))
            settings.DcpOutputDir = ExcludeTrailingPathDelimiter(*dcp);
        if (const auto bpl = value(names->CppBplOutputPath))
            settings.BplOutputDir = ExcludeTrailingPathDelimiter(*bpl);
        else if (const auto dll = value(names->DllOutputPath))
            settings.BplOutputDir = ExcludeTrailingPathDelimiter(*dll);
        load(names->BrowsingPath, settings.BrowsingPaths);
        load(names->LibraryPath, settings.SearchPaths);
        load(names->DllOutputPath, settings.PackageSearchPaths);
        load(names->DebugDcuPath, settings.DebugDcuPaths);
        if (cpp) {
            load(names->CppIncludePath, settings.CppIncludePaths);
            if (names->CppSearchIsLibraryPath)
                load(names->LibraryPath, settings.CppSearchPaths);
            load(names->CppLibraryPath, settings.CppLibraryPaths);
        }
    }
}

void TCompileTarget::LoadPathsFromRegistry(const TPlatformStore& store)
{
    TLibrarySettings& settings = Library(store.Platform);
    if (auto library = platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + store.LibraryKey, KeyAccess::Read)) {
        if (settings.BplOutputDir.empty()) {
            settings.BplOutputDir = ExcludeTrailingPathDelimiter(library->ReadString("Package DPL Output"));
            if (settings.BplOutputDir.empty() && !IsBDS())
                settings.BplOutputDir = RootDir + "\\Projects\\BPL";
        }
        if (settings.DcpOutputDir.empty()) {
            settings.DcpOutputDir = ExcludeTrailingPathDelimiter(library->ReadString("Package DCP Output"));
            if (settings.DcpOutputDir.empty() && !IsBDS())
                settings.DcpOutputDir = settings.BplOutputDir;
        }
        if (settings.BrowsingPaths.empty())
            settings.BrowsingPaths = PathListFromString(library->ReadString("Browsing Path"));
        if (settings.PackageSearchPaths.empty())
            settings.PackageSearchPaths = PathListFromString(library->ReadString("Package Search Path"));
        if (settings.SearchPaths.empty())
            settings.SearchPaths = PathListFromString(library->ReadString("Search Path"));
        if (settings.DebugDcuPaths.empty() && library->ValueExists("Debug DCU Path"))
            settings.DebugDcuPaths = PathListFromString(library->ReadString("Debug DCU Path"));
    }
    // The debugger's folders are the IDE's own, not a platform's.
    if (store.Platform == pfWin32 && settings.DebugDcuPaths.empty())
        if (auto debugging = platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + "\\Debugging", KeyAccess::Read))
            settings.DebugDcuPaths = PathListFromString(debugging->ReadString("Debug DCUs Path"));
    // The C++ lists are read from the key that SavePaths writes, so that saving never puts
    // lists the IDE did not have into it.
    const std::string cppKey = CppPathsKey(store);
    if (auto cpp =
            cppKey.empty() ? nullptr : platform_.registry.OpenKey(RootKey::CurrentUser, cppKey, KeyAccess::Read)) {
        settings.CppIncludePaths = PathListFromString(cpp->ReadString("IncludePath"));
        settings.CppSearchPaths = PathListFromString(cpp->ReadString("SearchPath"));
        if (cpp->ValueExists("LibraryPath"))
            settings.CppLibraryPaths = PathListFromString(cpp->ReadString("LibraryPath"));
    }
}

// The first of the platform's C++ keys that exists; empty when none does.
std::string TCompileTarget::CppPathsKey(const TPlatformStore& store) const
{
    for (const char* key : store.CppPathsKeys)
        if (key != nullptr && platform_.registry.KeyExists(RootKey::CurrentUser, UserKey + key))
            return UserKey + key;
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

// The text to store for a path list, or nullopt to leave the stored text (or its absence)
// as it is: the IDEs that keep their lists' text get only the lists the run changed.
std::optional<std::string> TCompileTarget::ListUpdate(const std::optional<std::string>& stored, const TStringList& list,
                                                      const TStringList& loaded) const
{
    if (!Layout().KeepsListText)
        return PathListToString(list);
    if (list == loaded || PathListFromString(stored.value_or("")) == list)
        return std::nullopt;
    return MergedPathList(stored.value_or(""), list);
}

void TCompileTarget::SavePaths()
{
    // Read first: a missing or broken file stops the save before the registry is touched.
    if (const TEnvOptionsElements* names = Layout().EnvOptions) {
        TEnvOptions file(platform_, EnvOptionsFile());
        const bool cpp = SupportsPersonalities(psBCB, false);
        for (const TPlatformStore& store : Layout().Platforms) {
            const TLibrarySettings& settings = Library(store.Platform);
            const TLibrarySettings& loaded = Loaded(store.Platform);
            const auto write = [&](const char* element, TStringList TLibrarySettings::*list, bool create) {
                const std::optional<std::string> stored = file.Value(element, store.GroupCondition);
                if (!stored && !create)
                    return;
                if (const auto text = ListUpdate(stored, settings.*list, loaded.*list))
                    file.SetValue(element, *text, store.GroupCondition);
            };
            write(names->BrowsingPath, &TLibrarySettings::BrowsingPaths, true);
            write(names->LibraryPath, &TLibrarySettings::SearchPaths, true);
            write(names->DebugDcuPath, &TLibrarySettings::DebugDcuPaths, true);
            if (cpp && names->CppIncludePath != nullptr) {
                write(names->CppIncludePath, &TLibrarySettings::CppIncludePaths, names->CreatesCppElements);
                write(names->CppLibraryPath, &TLibrarySettings::CppLibraryPaths, names->CreatesCppElements);
            }
        }
        file.Save();
    }

    for (const TPlatformStore& store : Layout().Platforms) {
        SaveLibraryKey(store);
        SaveCppPaths(store);
    }
    if (auto debugging = platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + "\\Debugging", KeyAccess::Write)) {
        const std::string stored = debugging->ReadString("Debug DCUs Path");
        const auto text = ListUpdate(stored, DebugDcuPaths, loadedWin32_.DebugDcuPaths);
        if (text && *text != stored)
            debugging->WriteString("Debug DCUs Path", *text);
    }

    loadedWin32_ = Library(pfWin32);
    loadedWin64_ = Library(pfWin64);

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

void TCompileTarget::SaveLibraryKey(const TPlatformStore& store)
{
    auto library = platform_.registry.OpenKey(RootKey::CurrentUser, UserKey + store.LibraryKey, KeyAccess::Write);
    if (!library)
        return;
    const TLibrarySettings& settings = Library(store.Platform);
    const TLibrarySettings& loaded = Loaded(store.Platform);
    const auto write = [&](const char* name, TStringList TLibrarySettings::*list) {
        const auto stored =
            library->ValueExists(name) ? std::optional<std::string>(library->ReadString(name)) : std::nullopt;
        if (const auto text = ListUpdate(stored, settings.*list, loaded.*list))
            library->WriteString(name, *text);
    };
    write("Browsing Path", &TLibrarySettings::BrowsingPaths);
    write("Search Path", &TLibrarySettings::SearchPaths);
    if (library->ValueExists("Debug DCU Path"))
        write("Debug DCU Path", &TLibrarySettings::DebugDcuPaths);
}

void TCompileTarget::SaveCppPaths(const TPlatformStore& store)
{
    const std::string cppKey = CppPathsKey(store);
    auto cpp = cppKey.empty() ? nullptr : platform_.registry.OpenKey(RootKey::CurrentUser, cppKey, KeyAccess::Write);
    if (!cpp)
        return;
    const TLibrarySettings& settings = Library(store.Platform);
    const TLibrarySettings& loaded = Loaded(store.Platform);
    const std::pair<const char*, TStringList TLibrarySettings::*> lists[] = {
        {"IncludePath", &TLibrarySettings::CppIncludePaths},
        {"SearchPath", &TLibrarySettings::CppSearchPaths},
        {"LibraryPath", &TLibrarySettings::CppLibraryPaths}};
    for (const auto& [name, list] : lists) {
        const std::optional<std::string> stored =
            cpp->ValueExists(name) ? std::optional<std::string>(cpp->ReadString(name)) : std::nullopt;
        const auto text = ListUpdate(stored, settings.*list, loaded.*list);
        if (text && (!stored || *stored != *text))
            cpp->WriteString(name, *text);
    }
}

void TCompileTarget::SavePackageLists()
{
    SavePackageList(KnownPackages, "Known Packages");
    SavePackageList(DisabledPackages, "Disabled Packages");
    if (!Ide64File().empty()) {
        SavePackageList(KnownPackagesX64, kKnownPackagesX64);
        SavePackageList(DisabledPackagesX64, kDisabledPackagesX64);
    }
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
