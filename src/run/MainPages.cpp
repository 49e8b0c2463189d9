#include "run/MainPages.h"

namespace corvalis {

TPageFlags SetupPageFlags(TInstallMode mode, bool withSources)
{
    TPageFlags pages;
    pages.fill(true);
    switch (mode) {
    case imInstall:
        pages[wUpdatePage] = pages[wMainternance] = pages[wUninstall] = false;
        pages[wFolder] = true;
        break;
    case imUpdate: pages[wInstallPage] = pages[wMainternance] = pages[wFolder] = pages[wDestinationPage] = false; break;
    case imMaintenance:
    case imUninstall:
        pages[wInstallPage] = pages[wUpdatePage] = pages[wLicensePage] = pages[wFolder] = pages[wDestinationPage] =
            false;
        break;
    }
    pages[wCompilationMode] = withSources;
    return pages;
}

bool ApplyMaintenanceChoice(bool addOrRemove, TInstallMode decided, bool withSources, std::optional<bool>& chosen,
                            TInstallMode& mode, TPageFlags& pages)
{
    if (chosen == addOrRemove)
        return false;
    chosen = addOrRemove;
    const bool update = addOrRemove && decided == imUpdate;
    mode = addOrRemove ? decided : imUninstall;
    pages[wIDEPage] = pages[wConfigPage] = addOrRemove;
    pages[wLicensePage] = update;
    // The confirmation of an uninstall or of an update.
    pages[wUninstall] = !addOrRemove || update;
    pages[wCompilationMode] = addOrRemove && withSources;
    return true;
}

TConfirmationTexts ConfirmationTexts(TInstallMode mode)
{
    if (mode == imUpdate)
        return {"Begin update",
                "Corvalis is about to be updated. Please check the information below and press the Next button "
                "when ready.",
                "You have selected to update the Corvalis component in the folder listed below.",
                "WARNING: This folder will be emptied before update. Please make sure that this folder doesn't "
                "contain any other important information before pressing the Next button."};
    return {"Begin uninstall",
            "Corvalis is about to be uninstalled. Please check the information below and press the Next button when "
            "ready.",
            "You have selected to uninstall the Corvalis component completely from your computer.",
            "WARNING: This folder will be completely removed from your hard disk. Please make sure that this folder "
            "doesn't contain any other important information before pressing the Next button."};
}

std::string UpdateSubtitle(const TVersion& installed, const TVersion& package)
{
    return "This wizard will update the Corvalis component version " + installed.DisplayText() +
           " currently installed on your computer with newer version " + package.DisplayText() + ".";
}

std::string FinishResultText(TInstallMode mode, bool hasErrors)
{
    if (mode == imUninstall)
        return hasErrors ? "Corvalis uninstall completed with errors. See Setup Log for additional information."
                         : "Corvalis component is now completely uninstalled from your computer";
    return hasErrors ? "Corvalis Setup completed with errors. See Setup Log for additional information."
                     : "Corvalis component is installed successfully";
}

} // namespace corvalis
