#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/InstallData.h"
#include "ide/TargetOptions.h"

namespace corvalis {

// The state of an IDE row's check box: three-state boxes have the grey state too.
enum TRowCheck : uint8_t { rcUnchecked, rcChecked, rcGrayed };

struct TTargetRow {
    bool threeState;
    TRowCheck check;
};

// The IDE page offers IDEs from version 5 on.
bool HasRow(const TTargetOptions& options);
// The IDEs the IDE page has a row for.
std::vector<TTargetOptions*> OfferedIdes(const TInstallData& data);

// The row an IDE gets on the IDE page, with its Action set by the mode; none (and Action
// leave unchanged) for an IDE the page does not offer.
std::optional<TTargetRow> SetUpTargetRow(TTargetOptions& options, TInstallMode mode);

// The state a click puts a row's box in: a three-state box goes from grey to ticked to
// unticked to grey, a two-state box toggles.
TRowCheck NextCheck(const TTargetRow& row);

// The Action a click leaves a row's box in.
TTargetAction ActionOfRow(TRowCheck check, bool installed);

// Ticks the row when the IDE is to hold the product after the run, unticks it otherwise,
// with the Action a click would give.
void SetRowWish(TTargetRow& row, TTargetOptions& options, bool wanted);

// Why the IDE cannot take the product: the first check that fails, in red, with a lone
// carriage return between its lines; none when it can.
std::optional<std::string> TargetProblem(const TTargetOptions& options);
// The same on one line, for the console.
std::optional<std::string> TargetProblemLine(const TTargetOptions& options);

// "Action: " and what the row's box state means in this mode.
std::string ActionText(TInstallMode mode, const TTargetOptions& options, const TTargetRow& row);

// The IDE page's Next and the configuration page take part as the Actions say.
bool IdePageNextEnabled(TInstallMode mode, const TTargetOptionsList& list);
bool ConfigPageEnabled(const TTargetOptionsList& list);

// The IDE page's Next walks the chosen IDEs from the first to the last and tests each one
// only when the walk reaches it: an IDE closed, or a compiler put in place, while the warning
// about an earlier one is open, counts. The first walk warns about every Turbo edition of
// version 10 or later without the command-line compiler; the second about every running IDE,
// each of which keeps the wizard on the IDE page.
using TIdeWarning = std::function<void(TTargetOptions& options)>;
void ForEachIdeLackingACompiler(const TTargetOptionsList& list, const TIdeWarning& warn);
void ForEachRunningIde(const TTargetOptionsList& list, const TIdeWarning& warn);
std::string IdeRunningMessage(const TTargetOptions& options);

// The configuration page's IDEs: those to install, in the IDE page's top-to-bottom order.
std::vector<TTargetOptions*> IdesToConfigure(const TTargetOptionsList& list);

} // namespace corvalis
