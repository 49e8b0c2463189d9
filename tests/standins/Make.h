#pragma once

// The make tool of C++Builder, for the makefiles of the bpr2mak stand-in (Makefile.h).
//
// Command line: the program and -f"<D>\P.mak", nothing else. Macros expand recursively:
// MAKEDIR is the program's folder, a name the makefile does not define is empty.
//
// Builds the first rule's target (the package's .bpl, relative to the working folder D):
// each object of the rule is compiled from the source of PASFILES or CPPFILES with the same
// file name, and a Pascal unit also gives <target folder>\Unit.hpp; an object without a
// source must exist already (precompiled). Then the link: every .bpi of PACKAGES is found
// in the LIBPATH folders or the IDE's Lib folder (the program's folder's parent + "\Lib"),
// and it writes the target, its .bpi and .lib beside it, and <D>\<target name>.tds. Like
// the real tools it creates no folder. Every file is a line of text naming what produced it.
//
// Standard output: a banner, "Compiling ..." per source and "Linking ..."; standard error:
// "Fatal: ..." on failure. Exit code 0, or 1 on any error (files written before it stay).
//
// CORVALIS_MAKE_FAIL=CorvalisC6.mak;... (or "*"): those makefiles fail with exit code 1
// before anything is read or written.

#include "standins/StandIn.h"

namespace corvalis::standins {

ToolRun RunMake(IFileSystem& files, const ILocale& locale, const std::string& commandLine, const std::string& workingFolder,
                const std::string& toolPath, const Environment& env);

} // namespace corvalis::standins
