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

void TCompiler::AddBrowsingPath(TTargetOptions& options)
{
    TCompileTarget& target = options.Target;
    AddPath(target, target.BrowsingPaths,
            target.InsertDirMacros(ExcludeTrailingPathDelimiter(installData_.SourcesDir())), kBrowsingPaths);
}

void TCompiler::AddSearchPaths(TTargetOptions& options)
{
    TCompileTarget& target = options.Target;
    const std::string entry = target.InsertDirMacros(ExcludeTrailingPathDelimiter(options.OutputDir()));
    AddPath(target, target.SearchPaths, entry, kSearchPaths);
    if (HasCppPersonality(target))
        AddPath(target, target.CppSearchPaths, entry, kCppSearchPaths);
}

void TCompiler::RemoveBrowsingPath(TTargetOptions& options)
{
    TCompileTarget& target = options.Target;
    RemovePath(target, target.BrowsingPaths,
               target.InsertDirMacros(ExcludeTrailingPathDelimiter(installData_.SourcesDir())), kBrowsingPaths);
}

void TCompiler::RemoveSearchPath(TTargetOptions& options)
{
    TCompileTarget& target = options.Target;
    RemovePath(target, target.SearchPaths, options.OutputDir(), kSearchPaths);
    // What AddSearchPaths put into the global C++ search path goes with the product too.
    if (HasCppPersonality(target))
        RemovePath(target, target.CppSearchPaths, options.OutputDir(), kCppSearchPaths);
}

} // namespace corvalis
