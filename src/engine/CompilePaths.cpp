#include "engine/Compile.h"

#include "core/InstallData.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"

// The product's folders in the IDEs' browsing, search and C++ search paths. An IDE may hold
// a folder with or without a trailing delimiter and with its root written as a macro, so
// adding and removing try each form.

namespace corvalis {
namespace {

const char* const kBrowsingPaths = "Browsing paths";
const char* const kSearchPaths = "Search paths";
const char* const kCppSearchPaths = "Global Cpp Search paths";
const char* const kCppIncludePaths = "Global Cpp Include paths";
const char* const kCppLibraryPaths = "Global Cpp Library paths";

// A list's name in the log: the IDE's own platform's lists by their name alone.
std::string ListName(const char* name, TPlatform platform)
{
    return platform == pfWin32 ? std::string(name) : std::string(name) + " (" + PlatformFacts(platform).Name + ")";
}

int IndexOf(const std::vector<std::string>& list, const std::string& entry)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (SameText(list[i], entry))
            return static_cast<int>(i);
    return -1;
}

bool HasCppPersonality(const TCompileTarget& target)
{
    return target.IsBDS() && (target.PersonalitySet() & psBCB) != 0;
}

// The C++ lists that take the product's output folder, with their names.
std::vector<std::pair<std::vector<std::string>*, const char*>> CppLists(TCompileTarget& target, TPlatform platform)
{
    if (!HasCppPersonality(target))
        return {};
    TLibrarySettings& library = target.Library(platform);
    if (!target.Layout().DelphiPackagesForCpp)
        return {{&library.CppSearchPaths, kCppSearchPaths}};
    return {{&library.CppSearchPaths, kCppSearchPaths},
            {&library.CppIncludePaths, kCppIncludePaths},
            {&library.CppLibraryPaths, kCppLibraryPaths}};
}

} // namespace

int TCompiler::FindPath(const std::vector<std::string>& list, const std::string& variant, const std::string& listName)
{
    FLog.LogDebug("  searching path in " + listName + ": " + variant);
    const int index = IndexOf(list, variant);
    FLog.LogDebug((index >= 0 ? "    found in " : "    not found in ") + listName + ": " + variant);
    return index;
}

void TCompiler::AddPath(const TCompileTarget& target, std::vector<std::string>& list, const std::string& entry,
                        const std::string& listName)
{
    FLog.LogDebug("Adding path to " + listName + ": " + entry);
    std::string variant = entry;
    int index = FindPath(list, variant, listName);
    if (index < 0)
        index = FindPath(list, variant = IncludeTrailingPathDelimiter(variant), listName);
    if (index < 0)
        index = FindPath(list, variant = target.InsertDirMacros(variant), listName);
    if (index < 0)
        index = FindPath(list, variant = IncludeTrailingPathDelimiter(variant), listName);
    if (index < 0) {
        FLog.LogDebug("Adding to " + listName + ": " + entry);
        list.push_back(entry);
        return;
    }
    FLog.LogDebug("Already in " + listName + ": " + variant);
    FLog.LogDebug("Replacing in " + listName + ": \"" + variant + "\" by \"" + entry + "\"");
    list[static_cast<size_t>(index)] = entry;
}

void TCompiler::RemovePathEntries(std::vector<std::string>& list, const std::string& variant,
                                  const std::string& listName)
{
    FLog.LogDebug("  searching path in " + listName + ": " + variant);
    for (int index; (index = IndexOf(list, variant)) >= 0;) {
        FLog.LogDebug("    found. removed from " + listName + ": " + variant);
        list.erase(list.begin() + index);
    }
}

void TCompiler::RemovePath(const TCompileTarget& target, std::vector<std::string>& list, const std::string& entry,
                           const std::string& listName)
{
    FLog.LogDebug("Removing path from " + listName + ": " + entry);
    RemovePathEntries(list, entry, listName);
    std::string variant = IncludeTrailingPathDelimiter(entry);
    RemovePathEntries(list, variant, listName);
    variant = target.InsertDirMacros(variant);
    RemovePathEntries(list, variant, listName);
    RemovePathEntries(list, IncludeTrailingPathDelimiter(variant), listName);
    // The form AddPath writes for a folder below the IDE's root: the macro, no delimiter.
    const std::string macro = target.InsertDirMacros(entry);
    if (macro != entry)
        RemovePathEntries(list, macro, listName);
}

// Each platform's lists take that platform's output folder; a removal tries every platform
// the IDE keeps, whatever the installation built.
void TCompiler::AddBrowsingPath(TTargetOptions& options)
{
    TCompileTarget& target = options.Target;
    const std::string entry = target.InsertDirMacros(ExcludeTrailingPathDelimiter(installData_.SourcesDir()));
    for (const TPlatform platform : options.BuildPlatforms())
        AddPath(target, target.Library(platform).BrowsingPaths, entry, ListName(kBrowsingPaths, platform));
}

void TCompiler::AddSearchPaths(TTargetOptions& options)
{
    TCompileTarget& target = options.Target;
    for (const TPlatform platform : options.BuildPlatforms()) {
        const std::string entry = target.InsertDirMacros(ExcludeTrailingPathDelimiter(options.OutputDir(platform)));
        AddPath(target, target.Library(platform).SearchPaths, entry, ListName(kSearchPaths, platform));
        for (const auto& [list, name] : CppLists(target, platform))
            AddPath(target, *list, entry, ListName(name, platform));
    }
}

void TCompiler::RemoveBrowsingPath(TTargetOptions& options)
{
    TCompileTarget& target = options.Target;
    const std::string entry = target.InsertDirMacros(ExcludeTrailingPathDelimiter(installData_.SourcesDir()));
    for (const TPlatform platform : target.Platforms())
        RemovePath(target, target.Library(platform).BrowsingPaths, entry, ListName(kBrowsingPaths, platform));
}

void TCompiler::RemoveSearchPath(TTargetOptions& options)
{
    TCompileTarget& target = options.Target;
    for (const TPlatform platform : target.Platforms()) {
        const std::string output = options.OutputDir(platform);
        RemovePath(target, target.Library(platform).SearchPaths, output, ListName(kSearchPaths, platform));
        // What AddSearchPaths put into the C++ paths goes with the product too.
        for (const auto& [list, name] : CppLists(target, platform))
            RemovePath(target, *list, output, ListName(name, platform));
    }
}

} // namespace corvalis
