#include "run/TargetRows.h"

#include <algorithm>

#include "core/Product.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"

namespace corvalis {
namespace {

// The first version of the RAD Studio 2007 core package after its first service pack.
const char* const kFirstUpdatedBds2007 = "11.0.2709.7128";

} // namespace

bool HasRow(const TTargetOptions& options)
{
    return options.Target.VersionNumber >= 5;
}

std::vector<TTargetOptions*> OfferedIdes(const TInstallData& data)
{
    std::vector<TTargetOptions*> offered;
    const TTargetOptionsList& list = *data.TargetOptions;
    for (int i = 0; i < list.Count(); ++i)
        if (HasRow(list[i]))
            offered.push_back(&list[i]);
    return offered;
}

std::optional<TTargetRow> SetUpTargetRow(TTargetOptions& options, TInstallMode mode)
{
    if (!HasRow(options)) {
        options.Action = taLeaveUnchanged;
        return std::nullopt;
    }
    switch (mode) {
    case imInstall: options.Action = taInstall; return TTargetRow{false, rcChecked};
    case imUpdate:
        options.Action = options.Installed ? taInstall : taLeaveUnchanged;
        return TTargetRow{false, options.Installed ? rcChecked : rcUnchecked};
    case imMaintenance:
    case imUninstall: {
        TTargetRow row{options.Installed, options.Installed ? rcGrayed : rcUnchecked};
        // A change a run left under way is taken up again.
        if (options.PendingAction && mode == imMaintenance) {
            row.check = *options.PendingAction == taInstall ? rcChecked : rcUnchecked;
            options.Action = ActionOfRow(row.check, options.Installed);
        }
        return row;
    }
    }
    return std::nullopt;
}

TRowCheck NextCheck(const TTargetRow& row)
{
    switch (row.check) {
    case rcGrayed: return rcChecked;
    case rcChecked: return rcUnchecked;
    case rcUnchecked: return row.threeState ? rcGrayed : rcChecked;
    }
    return rcUnchecked;
}

TTargetAction ActionOfRow(TRowCheck check, bool installed)
{
    switch (check) {
    case rcChecked: return taInstall;
    case rcUnchecked: return installed ? taRemove : taLeaveUnchanged;
    case rcGrayed: return taLeaveUnchanged;
    }
    return taLeaveUnchanged;
}

void SetRowWish(TTargetRow& row, TTargetOptions& options, bool wanted)
{
    row.check = wanted ? rcChecked : rcUnchecked;
    options.Action = ActionOfRow(row.check, options.Installed);
}

std::optional<std::string> TargetProblem(const TTargetOptions& options)
{
    const TInstallData& data = options.InstallData;
    if (!options.HasDatabaseSupport())
        return std::string("This IDE version has no support of databases. Corvalis can not be installed.");
    if (!options.HasDcc32()) {
        if (options.IsTurboEdition())
            return std::string("The \"Turbo\" IDE edition has no command-line Delphi compiler (dcc32.exe).\r"
                               "Please download it from CodeGear site: ") +
                   CompilerDownloadPage + " and run the installer again.";
        return std::string(
            "This IDE version has no dcc32.exe compiler.\rPlease reinstall your IDE in order to fix this "
            "problem.");
    }
    if (!options.ModePrerequisitesInstalled()) {
        switch (data.CompilationMode) {
        case cmTnt:
            return std::string("You have selected compilation using TnT Unicode controls,\rbut this IDE have no Tnt "
                               "Unicode controls installed.");
        case cmTMS:
            return std::string("You have selected compilation using TMS Unicode controls,\rbut this IDE have no TMS "
                               "Unicode controls installed.");
        default:
            return std::string("You have selected compilation using DevExpress controls,\rbut this IDE have no "
                               "required packages installed (ExpressEditors, ExpressPageControl, ExpressTreeList).");
        }
    }
    // Compared as text, character by character, not by number groups.
    const TCompileTarget& target = options.Target;
    if (target.IsBDS() && target.KeyVersion == 5 && !data.WithSources &&
        options.IdeFileVersion() < kFirstUpdatedBds2007)
        return std::string("You have to update your D2007 IDE version before installing Corvalis.\rPlease install "
                           "Service Pack 1 for Delphi2007 and run the installer again.");
    return std::nullopt;
}

std::optional<std::string> TargetProblemLine(const TTargetOptions& options)
{
    std::optional<std::string> problem = TargetProblem(options);
    if (problem)
        std::replace(problem->begin(), problem->end(), '\r', ' ');
    return problem;
}

std::string ActionText(TInstallMode mode, const TTargetOptions& options, const TTargetRow& row)
{
    const char* text = "";
    switch (mode) {
    case imInstall: text = row.check == rcChecked ? "Install" : "Don't install"; break;
    case imUpdate:
        if (options.Installed)
            text = row.check == rcChecked ? "Update" : "Uninstall";
        else
            text = row.check == rcChecked ? "Install" : "Do nothing";
        break;
    case imMaintenance:
    case imUninstall:
        if (row.threeState)
            text = row.check == rcChecked ? "Reinstall" : row.check == rcUnchecked ? "Uninstall" : "Do nothing";
        else
            text = row.check == rcChecked ? "Install" : "Do nothing";
        break;
    }
    return std::string("Action: ") + text;
}

bool IdePageNextEnabled(TInstallMode mode, const TTargetOptionsList& list)
{
    return mode == imInstall || list.HasWork();
}

bool ConfigPageEnabled(const TTargetOptionsList& list)
{
    return list.InstallCount() > 0;
}

namespace {

void ForEachChosenIde(const TTargetOptionsList& list, const std::function<bool(const TTargetOptions&)>& applies,
                      const TIdeWarning& warn)
{
    for (int i = 0; i < list.Count(); ++i)
        if (list[i].Action != taLeaveUnchanged && applies(list[i]))
            warn(list[i]);
}

} // namespace

void ForEachIdeLackingACompiler(const TTargetOptionsList& list, const TIdeWarning& warn)
{
    ForEachChosenIde(
        list,
        [](const TTargetOptions& options) {
            return options.Target.VersionNumber >= 10 && options.IsTurboEdition() && !options.HasDcc32();
        },
        warn);
}

void ForEachRunningIde(const TTargetOptionsList& list, const TIdeWarning& warn)
{
    ForEachChosenIde(
        list, [](const TTargetOptions& options) { return options.IsIdeRunning(); }, warn);
}

std::string IdeRunningMessage(const TTargetOptions& options)
{
    return options.Target.DisplayName() + " IDE is running. Please close it before continue.";
}

std::vector<TTargetOptions*> IdesToConfigure(const TTargetOptionsList& list)
{
    std::vector<TTargetOptions*> ides;
    for (int i = list.Count() - 1; i >= 0; --i)
        if (list[i].Action == taInstall)
            ides.push_back(&list[i]);
    return ides;
}

} // namespace corvalis
