#pragma once

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

// The row an IDE gets on the IDE page, with its Action set by the mode; none (and Action
// leave unchanged) for IDEs before version 5.
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

// "Action: " and what the row's box state means in this mode.
std::string ActionText(TInstallMode mode, const TTargetOptions& options, const TTargetRow& row);

// The IDE page's Next and the configuration page take part as the Actions say.
bool IdePageNextEnabled(TInstallMode mode, const TTargetOptionsList& list);
bool ConfigPageEnabled(const TTargetOptionsList& list);

// The IDEs the IDE page's Next warns about: chosen, version 10 or later, a Turbo edition
// without the command-line compiler.
std::vector<TTargetOptions*> IdesLackingACompiler(const TTargetOptionsList& list);
// The chosen IDEs that are running, each of which keeps the wizard on the IDE page.
std::vector<TTargetOptions*> RunningIdes(const TTargetOptionsList& list);
std::string IdeRunningMessage(const TTargetOptions& options);

// The configuration page's IDEs: those to install, in the IDE page's top-to-bottom order.
std::vector<TTargetOptions*> IdesToConfigure(const TTargetOptionsList& list);

} // namespace corvalis
