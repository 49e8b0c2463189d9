#pragma once

// The converter from C++Builder package project to makefile.
//
// Command line: the program and one project file "<D>\P.bpk" (relative to the working
// folder). Writes the makefile of Makefile.h as P.mak beside the project, overwriting one
// that is there. Standard output: "Loading project file ..." and "Writing makefile ...";
// standard error: "Error: ..." on failure.
//
// Exit codes: 0 done; 1 another argument list, a project that cannot be read, is not a
// project (see CppProject.h) or names no PROJECT, or a makefile that cannot be written.
//
// CORVALIS_BPR2MAK_FAIL=CorvalisC6.bpk;... (or "*"): those projects fail with exit code 1
// before anything is read or written.

#include "standins/StandIn.h"

namespace corvalis::standins {

ToolRun RunBpr2Mak(IFileSystem& files, const ILocale& locale, const std::string& commandLine, const std::string& workingFolder,
                   const std::string& toolPath, const Environment& env);

} // namespace corvalis::standins
