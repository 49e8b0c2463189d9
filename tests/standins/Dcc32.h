#pragma once

// The Delphi command-line compilers, for packages: dcc32 builds for Win32, dcc64 for Win64.
//
// Command line: the program and one package source "P.dpk" (relative to the working
// folder). Configuration: dcc32.cfg, or dcc64.cfg, in the working folder (see Dcc32Options.h),
// in the system code page.
//
// Each package of the requires clause is found as X.dcp in the -U folders, the -LN folder
// and the IDE's library folder: the program's folder's parent + "\lib\<platform>\release"
// where the IDE has it (XE and later), else + "\Lib". Each unit of the contains clause is
// compiled from its 'path' (relative to the source's folder), or from Unit.pas in the -U
// folders; without a source a precompiled Unit.dcu in the -U folders is used as it is. The
// compilers of XE and later also find each unit a compiled unit uses, as Unit.dcu or as
// Scope.Unit.dcu for each unit scope of -NS, in the -U folders and the library folder. A
// .dcp or .dcu that says it was compiled "for" another platform is refused.
//
// Output, each file a line of text naming what produced it and for which platform: <-LE>\P.bpl, <-LN>\P.dcp and
// <-N0>\Unit.dcu per compiled unit; with -JL also <-NB>\P.bpi, <-NB>\P.lib, <-NH>\Unit.hpp
// and <-NO>\Unit.obj. Without the switch: the .bpl and .dcp go beside the source, a unit's
// files beside the unit, the .bpi and .lib beside the .dcp. Like the real compiler it
// creates no folder: a file whose folder is missing is a fatal error.
//
// Everything, errors included, goes to standard output as the real compiler prints it: a
// banner, "file(lines)" per compiled file, "N lines, x.xx seconds." or
// "file(line) Fatal: ..." / "file(line) Error: ...". Exit code 0, or 1 on any error.
//
// CORVALIS_DCC32_FAIL=CorvalisADOD7.dpk;CorvalisD11.dpk (or "*" for every package): those
// packages fail before anything is read or written; CORVALIS_DCC64_FAIL for dcc64.

#include "standins/StandIn.h"

namespace corvalis::standins {

ToolRun RunDcc32(IFileSystem& files, const ILocale& locale, const std::string& commandLine, const std::string& workingFolder,
                 const std::string& toolPath, const Environment& env);
ToolRun RunDcc64(IFileSystem& files, const ILocale& locale, const std::string& commandLine, const std::string& workingFolder,
                 const std::string& toolPath, const Environment& env);

} // namespace corvalis::standins
