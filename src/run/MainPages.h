#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "core/InstallData.h"

namespace corvalis {

// The wizard's pages in their fixed order.
enum TMainPage : size_t {
    wInstallPage,
    wUpdatePage,
    wMainternance,
    wLicensePage,
    wDestinationPage,
    wFolder,
    wCompilationMode,
    wIDEPage,
    wConfigPage,
    wUninstall,
    wCompile,
    wFinish,
    MainPageCount
};

// Which pages take part in navigation.
using TPageFlags = std::array<bool, MainPageCount>;

// The pages of a mode after set-up; the IDE rows decide the configuration page afterwards.
TPageFlags SetupPageFlags(TInstallMode mode, bool withSources);

// The maintenance page's choice: "Add or Remove IDE installations" (true) or "Uninstall
// Corvalis" (false); chosen holds the one applied last. Only a switch applies it, setting the
// mode and the pages it brings: a click on the button already chosen leaves the pages as the
// IDE rows have set them since. Returns whether it applied. Add or Remove is the mode the
// start-up decided: where that is an update (the page preset by --uninstall), the update
// with its pages, as the IDEs can take only a version that is extracted.
bool ApplyMaintenanceChoice(bool addOrRemove, TInstallMode decided, bool withSources, std::optional<bool>& chosen,
                            TInstallMode& mode, TPageFlags& pages);

// The texts of the confirmation page before an update or an uninstall.
struct TConfirmationTexts {
    std::string title;
    std::string subtitle;
    std::string text;
    std::string warning;
};
TConfirmationTexts ConfirmationTexts(TInstallMode mode);

std::string UpdateSubtitle(const TVersion& installed, const TVersion& package);
std::string FinishResultText(TInstallMode mode, bool hasErrors);

} // namespace corvalis
