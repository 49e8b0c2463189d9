#include "run/CommandLineChoices.h"

#include <algorithm>

#include "core/InstallData.h"
#include "engine/Compile.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "run/FolderChecks.h"
#include "run/SetupLog.h"
#include "run/TargetRows.h"

namespace corvalis {
namespace {

const char* const kCompilationModeNames[] = {"standard", "tnt", "tms", "devexpress"};

std::string OfferedNames(const TInstallData& data)
{
    std::string names;
    for (const TTargetOptions* options : OfferedIdes(data))
        names += (names.empty() ? "" : ", ") + ProductFolderName(options->Target);
    return names.empty() ? "none" : names;
}

TCompilationMode ParseCompilationMode(const std::string& name)
{
    for (int mode = cmStandard; mode <= cmDevExpress; ++mode)
        if (SameText(name, kCompilationModeNames[mode]))
            return static_cast<TCompilationMode>(mode);
    throw TRefusal("Unknown compilation mode \"" + name + "\": use standard, tnt, tms or devexpress.");
}

// A folder the command line chose in place of the destination or program folder page: only
// a fresh installation has those pages, so otherwise the run only says it is ignored.
void TakeFolder(TInstallData& data, const std::string& option, const std::string& value, std::string& field)
{
    if (value.empty())
        return;
    if (data.Mode == imInstall)
        field = value;
    else
        data.RunWarnings.push_back(option + value + " is ignored: Corvalis is installed in " + data.InstallDir + ".");
}

// Takes the folders and the compilation mode of the command line into the installation
// data, as the wizard's pages would; refuses values no page would accept.
void ApplyCommandLineChoices(TInstallData& data)
{
    const TCmdOptions& options = data.Options;
    if (!options.InstallDir.empty())
        if (const auto problem = InstallDirProblem(options.InstallDir))
            throw TRefusal(*problem);
    if (!options.StartFolder.empty())
        if (const auto problem = StartFolderProblem(options.StartFolder, data.ProgramsFolder))
            throw TRefusal(*problem);
    TakeFolder(data, "--dir=", options.InstallDir.empty() ? "" : FullInstallDir(options.InstallDir), data.InstallDir);
    TakeFolder(data, "--group=", options.StartFolder, data.StartFolder);
    if (!options.CompilationMode.empty()) {
        const TCompilationMode mode = ParseCompilationMode(options.CompilationMode);
        if (mode != cmStandard && !data.WithSources)
            throw TRefusal("This package has no sources: it installs in the standard compilation mode only.");
        data.CompilationMode = mode;
    }
}

} // namespace

bool AllIdes(const TCmdOptions& options)
{
    return SameText(Trim(options.Ides), "all");
}

std::optional<std::vector<const TTargetOptions*>> WantedIdes(const TInstallData& data)
{
    const TCmdOptions& options = data.Options;
    const std::vector<TTargetOptions*> offered = OfferedIdes(data);
    std::vector<const TTargetOptions*> wanted;
    if (options.AutoUpdate) {
        std::copy_if(offered.begin(), offered.end(), std::back_inserter(wanted),
                     [](const TTargetOptions* ide) { return ide->Installed; });
        return wanted;
    }
    if (options.Ides.empty())
        return std::nullopt;
    if (AllIdes(options))
        return std::vector<const TTargetOptions*>(offered.begin(), offered.end());
    for (const std::string& item : SplitString(options.Ides, ',')) {
        const std::string name = Trim(item);
        if (name.empty())
            continue;
        bool found = false;
        for (const TTargetOptions* ide : offered)
            if (SameText(ProductFolderName(ide->Target), name)) {
                found = true;
                if (std::find(wanted.begin(), wanted.end(), ide) == wanted.end())
                    wanted.push_back(ide);
            }
        if (!found)
            throw TRefusal("Unknown IDE \"" + name + "\": the IDEs found are " + OfferedNames(data) + ".");
    }
    return wanted;
}

void CheckOptionValues(const TCmdOptions& options)
{
    if (!options.EmptyValues.empty())
        throw TRefusal(options.EmptyValues.front() + " needs a value: it was given with none.");
    if (!ParseJobs(options.Jobs))
        throw TRefusal("--jobs=" + options.Jobs + " is not a number of IDEs from 1 to " + std::to_string(kMaxJobs) +
                       ".");
}

void CheckCommandLine(TInstallData& data)
{
    const TCmdOptions& options = data.Options;
    CheckOptionValues(options);
    if (options.AutoUpdate && (options.Uninstall || !options.Ides.empty()))
        throw TRefusal("--autoupdate cannot be combined with --uninstall or --ides=.");
    if (options.Uninstall && !data.ProductInstalled)
        throw TRefusal("Corvalis is not installed: there is nothing to uninstall.");
    if (options.AutoUpdate && !data.ProductInstalled)
        throw TRefusal("Corvalis is not installed: there is nothing to update.");
    ApplyCommandLineChoices(data);
    WantedIdes(data);
}

void DecideUnattendedRun(TInstallData& data, const Platform& platform)
{
    const TCmdOptions& options = data.Options;
    CheckCommandLine(data);
    const std::vector<TTargetOptions*> offered = OfferedIdes(data);
    if (options.Uninstall) {
        data.Mode = imUninstall;
        for (TTargetOptions* ide : offered)
            ide->Action = ide->Installed ? taRemove : taLeaveUnchanged;
    } else {
        if (data.Mode == imInstall && offered.empty())
            throw TRefusal("No Delphi or C++Builder IDE was found on this computer.");
        const auto named = WantedIdes(data);
        // An IDE named on its own must take the product; "all" takes what passes the checks.
        const bool strict = options.AutoUpdate || (!options.Ides.empty() && !AllIdes(options));
        for (TTargetOptions* ide : offered) {
            TTargetRow row = *SetUpTargetRow(*ide, data.Mode);
            const bool wanted = !named || std::find(named->begin(), named->end(), ide) != named->end();
            SetRowWish(row, *ide, wanted);
            if (!wanted)
                continue;
            if (const auto problem = TargetProblemLine(*ide)) {
                if (strict)
                    throw TRefusal(ide->Target.DisplayName() + ": " + *problem);
                SetRowWish(row, *ide, false);
            }
        }
    }

    if (!options.IgnoreIde) {
        std::string running;
        ForEachRunningIde(*data.TargetOptions, [&](const TTargetOptions& ide) {
            if (!running.empty())
                running += '\n';
            running += IdeRunningMessage(ide);
        });
        if (!running.empty())
            throw TRefusal(running);
    }
    if (data.Mode == imInstall || data.Mode == imUpdate)
        if (const auto problem = ExtractionProblem(platform.files))
            throw TRefusal(*problem);
    OpenLogCopy(platform, options.LogFile);
}

} // namespace corvalis
