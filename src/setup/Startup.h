#pragma once

namespace corvalis {

class TCmdOptions;
struct Win32Platform;

// The installer from the installation data to the closed wizard; the program's exit code.
int RunInstaller(Win32Platform& machine, TCmdOptions& options);

} // namespace corvalis
