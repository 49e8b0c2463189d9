#pragma once

// The archive extractor of the installer package, for tar archives (see Tar.h).
//
// Command line: the program, then exactly
//     x -c- -cfg- -dh -idp -o+ -r -y data.arc *.* <destination ending in '\'>
// (the blanks between the arguments do not matter). data.arc is read from the working
// folder; every entry is extracted below the destination, missing folders are created and
// existing files overwritten. Standard output gets a line per folder and file and "All OK";
// standard error the reason of a failure.
//
// Exit codes: 0 done; 3 corrupt archive (bad header checksum or magic, cut short, entry
// of another type than file or folder); 6 data.arc cannot be read; 7 any other argument
// list; 9 a folder or file cannot be created.
//
// CORVALIS_UNRAR_EXIT=N (decimal; another text is ignored): the tool does all of the above,
// then ends with exit code N whatever happened, so that tests also see the files an
// extractor leaves behind when it fails.

#include "standins/StandIn.h"

namespace corvalis::standins {

ToolRun RunUnrar(IFileSystem& files, const ILocale& locale, const std::string& commandLine, const std::string& workingFolder,
                 const std::string& toolPath, const Environment& env);

} // namespace corvalis::standins
