#pragma once

// The stand-ins as children of the in-memory processes, working on the in-memory files.

#include "platform/memory/MemoryPlatform.h"
#include "standins/StandIn.h"

namespace corvalis::standins {

// Puts a program file at toolPath and, into the machine's processes, a handler that runs the tool when a
// command line starts with that program: written as a full path, or as a bare name
// ("unrar.exe x ...") that Windows finds beside the installer's executable or in its current
// folder; ".exe" may be left out. The program file must exist, as a real one must. The tool
// sees the environment of processes, which a child inherits; everything it prints arrives
// when it ends.
void InstallStandIn(MemoryPlatform& machine, const std::string& toolPath, Tool tool);

} // namespace corvalis::standins
