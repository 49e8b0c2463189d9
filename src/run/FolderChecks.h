#pragma once

#include <optional>
#include <string>

namespace corvalis {

// The folders a user chooses, on the command line or on the wizard's pages, checked as
// Windows will resolve them before anything is made there.

// Why the folder cannot hold the product; none when it can. The folder is judged as
// Windows resolves it (FullInstallDir): a drive's or a share's root, a device, a name
// Windows reserves or drops, a character that would split or expand the IDEs' path lists,
// or a path too long for the product's files below it cannot.
std::optional<std::string> InstallDirProblem(const std::string& folder);
// The folder as Windows resolves a full path: "/" as "\", runs of separators as one, "."
// and ".." levels taken (never above the root), no separator at the end.
std::string FullInstallDir(const std::string& folder);

// Why the Start-menu group, below the Programs folder, cannot be used; none when it can.
std::optional<std::string> StartFolderProblem(const std::string& group, const std::string& programsFolder);

} // namespace corvalis
