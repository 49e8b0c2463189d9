#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace corvalis {

class TInstallData;

// One line per IDE the IDE page offers: its name for --ides=, whether the product is
// installed there, its name as the IDE page shows it and why it cannot take the product.
std::vector<std::string> IdeListing(const TInstallData& data);

// The installation run without a window: each log line goes to the console as setup.log
// has it. Returns the exit code.
int RunUnattended(TInstallData& data, const Platform& platform);

} // namespace corvalis
