// The stand-ins read real IDE files (tests/data/samples, byte for byte) and fail where the
// real tools fail, with their exit codes and messages; the engine's tests cover the runs
// that succeed with the installer's own files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "ide/Utils.h"
#include "log/uLogger.h"
#include "platform/memory/MemoryPlatform.h"
#include "product/ProductTree.h"
#include "standins/Bpr2Mak.h"
#include "standins/Dcc32.h"
#include "standins/Dcc32Options.h"
#include "standins/Make.h"
#include "standins/MemoryStandIns.h"
#include "standins/PackageSource.h"
#include "standins/Tar.h"
#include "standins/Unrar.h"

namespace corvalis::standins {
namespace {

// A file of tests/data/samples, byte for byte.
std::string SampleFile(const std::string& name)
{
    std::ifstream file(std::string(CORVALIS_TEST_DATA) + "/samples/" + name, std::ios::binary);
    EXPECT_TRUE(file.is_open()) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// What the compiler reads from a configuration file or package source, in a line.
std::string Read(const std::string& file)
{
    const std::string text = SampleFile(file);
    if (EndsText(".cfg", file)) {
        Dcc32Options options;
        options.ApplyConfig(text);
        const std::vector<std::string>& units = options.unitPaths;
        return std::to_string(units.size()) + (units.empty() ? "" : " " + units.front() + " .. " + units.back()) +
               "; LE " + options.bplOutput + "; LN " + options.dcpOutput + "; N0 " + options.dcuOutput;
    }
    const PackageSource source = PackageSource::Parse(text, file);
    std::string read = source.name + " (" + std::to_string(source.lines) + " lines) requires";
    for (const PackageSource::Item& item : source.requiredPackages)
        read += " " + item.name;
    const PackageSource::Item& first = source.units.front();
    return read + " contains " + std::to_string(source.units.size()) + ": " + first.name + " in '" + first.path +
           "' (" + std::to_string(first.line) + ") .. " + source.units.back().name;
}

TEST(Samples, TheCompilerReadsRealConfigurationsAndPackageSources)
{
    const std::pair<const char*, std::string> samples[] = {
        // Slash switches, each folder quoted on its own, folders with blanks, "  + CR LF endings.
        {"Moobylicious-delphi5compiler__Bin_dcc32.cfg",
         "34 c:\\delphi5\\Lib .. C:\\BuildAgent\\work\\595a2c2e48fe393a\\Build\\Build Scripts\\..\\..\\Membership "
         "System\\Membership Editors\\Source; LE ; LN ; N0 "},
        {"mpryanikov-sourseide-delphi7__Bin_dcc32.cfg", // lower-case switches
         "2 C:\\Program Files (x86)\\Borland\\Delphi7\\lib .. C:\\Program Files (x86)\\Borland\\Delphi7\\lib\\Obj; "
         "LE ; LN ; N0 "},
        {"r3code-delphi7-batch-build-scripts__projects_MyApp.cfg", // one quoted list; -N of the older compilers
         "2 ../source .. ../source/logger; LE ../build/bin/; LN ../build/dcu/; N0 ../build/dcu/"},
        {"Moobylicious-delphi5compiler__lib_dclusr50.cfg",
         "0; LE c:\\dev\\programs\\delphi5\\delphi5\\Projects\\Bpl; LN "
         "c:\\dev\\programs\\delphi5\\delphi5\\Projects\\Bpl; N0 "},
        // Disabled directives "{ ASSERTIONS ON}", a name whose case differs from the file's.
        {"Moobylicious-delphi5compiler__lib_dclusr50.dpk",
         "Dclusr50 (36 lines) requires vcl50 contains 1: CrystalDataObject_TLB in "
         "'..\\Imports\\CrystalDataObject_TLB.pas' (34) .. CrystalDataObject_TLB"},
        {"graphics32__GR32_Packages_GR32_D7.dpk", // three lines ending CR CR LF
         "GR32_D7 (54 lines) requires vcl rtl contains 20: GR32 in '..\\GR32.pas' (33) .. GR32_Resamplers"},
        {"graphics32__GR32_Packages_GR32_DSGN_D7.dpk", // every line ending CR CR LF, a form comment after a path
         "GR32_DSGN_D7 (40 lines) requires designide vcl rtl GR32_D7 contains 3: GR32_Dsgn_Bitmap in "
         "'..\\GR32_Dsgn_Bitmap.pas' (36) .. GR32_Dsgn_Color"},
        {"graphics32__GR32_Packages_GR32_BDS2010.dpk",
         "GR32_BDS2010 (57 lines) requires vcl contains 23: GR32 in '..\\GR32.pas' (33) .. GR32_Resamplers"},
    };
    for (const auto& [file, read] : samples)
        EXPECT_EQ(Read(file), read);
}

const std::string kD7 = "C:\\P\\Packages\\Delphi7\\";
const std::string kC6 = "C:\\P\\Packages\\CBuilder6\\";
const std::string kD12 = "C:\\P\\Packages\\Delphi12\\";
// The Win64 compiler's configuration as the installer writes it, with the unit scopes given.
std::string Dcc64Config(const std::string& scopes)
{
    const std::string output = "\"C:\\P\\Delphi12\\Win64\"";
    return "-U" + output + "\r\n-LE" + output + " -LN" + output + "\r\n-N0" + output + "\r\n" + scopes;
}
const std::string kArchive = WriteTar({{"Demos", true, {}}, {"Demos/App.dpr", false, "program App;"}});
const std::string kExtract = "x -c- -cfg- -dh -idp -o+ -r -y  data.arc *.* \"C:\\Program Files\\Corvalis\\\"";
const std::map<std::string, std::tuple<Tool, std::string, std::string>> kTools = {
    {"dcc32", {RunDcc32, "C:\\Delphi7\\Bin\\dcc32.exe", kD7}},
    {"dcc64", {RunDcc64, "C:\\Delphi12\\bin\\dcc64.exe", kD12}},
    {"bpr2mak", {RunBpr2Mak, "C:\\CBuilder6\\Bin\\bpr2mak.exe", kC6}},
    {"make", {RunMake, "C:\\CBuilder6\\Bin\\make.exe", kC6}},
    {"unrar", {RunUnrar, "C:\\Setup\\unrar.exe", "C:\\Setup"}},
};

// The tool in its packages folder, or in another one.
ToolRun RunStandIn(
    MemoryFiles& files, const std::string& tool, const std::string& arguments, const std::string& folder = {},
    const Environment& env = [](const std::string&) { return std::optional<std::string>(); })
{
    const auto& [function, program, packages] = kTools.at(tool);
    static const MemoryLocale locale;
    return function(files, locale, "\"" + program + "\" " + arguments, folder.empty() ? packages : folder, program,
                    env);
}

// The packages of Delphi 7 and C++Builder 6 that the projects require.
void AddIdes(MemoryFiles& files)
{
    for (const std::string library : {"rtl", "vcl", "designide"}) {
        files.AddFile("C:\\Delphi7\\Lib\\" + library + ".dcp");
        files.AddFile("C:\\CBuilder6\\Lib\\" + library + ".bpi");
    }
    // From XE2 on, a library per platform, its units with scoped names.
    for (const std::string file : {"rtl.dcp", "vcl.dcp", "System.SysUtils.dcu", "System.Classes.dcu"})
        files.AddFile("C:\\Delphi12\\lib\\Win64\\release\\" + file, file + " for Win64");
}

TEST(Samples, TheGraphicsPackagesBuildBesideTheirUnits)
{
    MemoryFiles files;
    AddIdes(files);
    const std::string folder = "C:\\GR32\\Packages\\";
    for (const std::string project : {"GR32_D7.dpk", "GR32_DSGN_D7.dpk", "GR32_CB6.bpk"}) {
        const std::string text = SampleFile("graphics32__GR32_Packages_" + project);
        files.AddFile(folder + project, text);
        if (EndsText(".dpk", project))
            for (const PackageSource::Item& unit : PackageSource::Parse(text, project).units)
                files.AddFile(folder + unit.path, "unit " + unit.name + ";\r\n");
    }
    files.AddFile(folder + "GR32_CB6.cpp", "#include <vcl.h>\r\n");
    // The Delphi packages with a project's dcc32.cfg of relative '/' folders.
    files.AddFile(folder + "dcc32.cfg", SampleFile("r3code-delphi7-batch-build-scripts__projects_MyApp.cfg"));
    files.ForceDirectories("C:\\GR32\\build\\bin");
    files.ForceDirectories("C:\\GR32\\build\\dcu");
    EXPECT_EQ(RunStandIn(files, "dcc32", "GR32_D7.dpk", folder).exitCode, 0);
    EXPECT_EQ(RunStandIn(files, "dcc32", "GR32_DSGN_D7.dpk", folder).exitCode, 0); // finds GR32_D7.dcp by -LN
    EXPECT_EQ(RunStandIn(files, "bpr2mak", "GR32_CB6.bpk", folder).exitCode, 0);
    EXPECT_EQ(RunStandIn(files, "make", "-fGR32_CB6.mak", folder).exitCode, 0);
    for (const char* file : {"build\\bin\\GR32_DSGN_D7.bpl", "build\\dcu\\GR32_Dsgn_Color.dcu",
                             "Packages\\GR32_CB6.bpl", "Packages\\GR32_ExtImage.hpp", "GR32_Resamplers.obj"})
        EXPECT_TRUE(files.FileExists("C:\\GR32\\" + std::string(file))) << file;
}

struct Failure {
    const char* tool;
    std::string file; // removed, or written when there is a text; a variable of the environment if no path
    std::string text;
    std::string arguments;
    int32_t exitCode;
    std::string message; // the start of the last line the tool prints
};

TEST(StandIns, FailWhereTheRealToolsFail)
{
    const std::string notOne = "Fatal: one package source (.dpk) expected";
    const std::string option = "ERROR: Command line option error:";
    const std::string corrupt = "C:\\Setup\\data.arc: the archive is corrupt";
    const Failure failures[] = {
        {"dcc32", "", "", "CorvalisDsgnD7.dpk", 1, "CorvalisDsgnD7.dpk(17) Fatal: File not found: 'CorvalisD7.dcp'"},
        {"dcc32", "C:\\Delphi7\\Lib\\vcl.dcp", "", "CorvalisD7.dpk", 1,
         "CorvalisD7.dpk(15) Fatal: File not found: 'vcl.dcp'"},
        {"dcc32", "C:\\P\\Sources\\CrvCore.pas", "", "\"CorvalisD7.dpk\"", 1,
         "CorvalisD7.dpk(19) Fatal: File not found: '..\\..\\Sources\\CrvCore.pas'"},
        {"dcc32", "C:\\P\\Delphi7", "", "CorvalisD7.dpk", 1,
         "Fatal: Could not create output file 'C:\\P\\Delphi7\\CrvConsts.dcu'"},
        {"dcc32", "", "", "CorvalisD8.DPK", 1, "Fatal: File not found: 'CorvalisD8.DPK'"},
        {"dcc32", "", "", "CorvalisD7.dpk CorvalisDsgnD7.dpk", 1, notOne},
        {"dcc32", "", "", "CRVDemo.dpr", 1, notOne},
        {"dcc32", kD7 + "P.dpk", "package Q;\r\nend.", "P.dpk", 1, "P.dpk(1) Error: package name 'Q' does not match"},
        {"dcc32", kD7 + "P.dpk", "program P; end.", "P.dpk", 1, "P.dpk(1) Error: 'package' expected but 'program'"},
        {"dcc32", kD7 + "P.dpk", "package P;\nrequires a b;\nend.", "P.dpk", 1, "P.dpk(2) Error: ',' expected but 'b'"},
        {"dcc32", kD7 + "P.dpk", "package P;\n{\nend.", "P.dpk", 1, "P.dpk(2) Error: Unterminated comment"},
        {"dcc32", kD7 + "P.dpk", "package P;\n\ncontains U in 'U\n;end.", "P.dpk", 1,
         "P.dpk(3) Error: Unterminated string"},
        {"dcc32", kD7 + "P.dpk", "package P; end", "P.dpk", 1, "P.dpk(1) Error: '.' expected but 'end of file' found"},
        {"dcc64", "C:\\Delphi12\\lib\\Win64\\release\\rtl.dcp", "rtl.dcp for Win32", "CorvalisD29.dpk", 1,
         "CorvalisD29.dpk(14) Fatal: 'rtl.dcp' is compiled for Win32, not for Win64"},
        {"dcc64", kD12 + "dcc64.cfg", Dcc64Config(""), "CorvalisD29.dpk", 1,
         "CrvConsts.pas(8) Fatal: File not found: 'SysUtils.dcu'"},
        {"bpr2mak", "", "", "", 1, "Error: one project file expected"},
        {"bpr2mak", "", "", "P.bpk", 1, "Error: unable to open project file " + kC6 + "P.bpk"},
        {"bpr2mak", kC6 + "P.bpk", "<?xml version='1.0'?><OTHER/>", "P.bpk", 1,
         "Error: P.bpk: not a C++Builder project: the root element is <OTHER>"},
        {"bpr2mak", kC6 + "P.bpk", "<PROJECT><MACROS><X value=\"1\"/></PROJECT>", "P.bpk", 1,
         "Error: P.bpk: not a C++Builder project: </PROJECT> closes no open element"},
        {"bpr2mak", kC6 + "P.bpk", "<PROJECT></PROJECT>", "P.bpk", 1, "Error: P.bpk: the project names no PROJECT"},
        {"make", "", "", "-f", 1, "Fatal: one makefile expected"},
        {"make", "", "", "-fP.mak", 1, "Fatal: Unable to open makefile " + kC6 + "P.mak"},
        {"make", kC6 + "P.mak", "# nothing\r\nX = 1\r\n", "-fP.mak", 1, "Fatal: P.mak has no rule to make"},
        {"make", "", "", "-fCorvalisDsgnC6.mak", 1, "Fatal: Unable to open file 'CorvalisC6.bpi'"},
        {"make", "C:\\CBuilder6\\Lib\\vcl.bpi", "", "-fCorvalisC6.mak", 1, "Fatal: Unable to open file 'vcl.bpi'"},
        {"make", "C:\\P\\Sources\\CrvCore.pas", "", "-fCorvalisC6.mak", 1,
         "Fatal: 'C:\\P\\CBuilder6\\obj\\CrvCore.obj' does not exist - don't know how to make it"},
        {"make", "C:\\P\\CBuilder6\\obj", "", "-fCorvalisC6.mak", 1,
         "Fatal: Unable to create file 'C:\\P\\CBuilder6\\obj\\CrvConsts.obj'"},
        {"unrar", "", "", "", 7, option},
        {"unrar", "", "", "e -c- -cfg- -dh -idp -o+ -r -y data.arc *.* \"C:\\Dest\\\"", 7, option},
        {"unrar", "", "", "x -c- -cfg- -dh -idp -o+ -r -y data.arc *.* \"C:\\Dest\"", 7, option},
        {"unrar", "C:\\Setup\\data.arc", "", kExtract, 6, "Cannot open C:\\Setup\\data.arc"},
        {"unrar", "C:\\Setup\\data.arc", "x" + kArchive.substr(1), kExtract, 3, corrupt},
        {"unrar", "C:\\Setup\\data.arc", kArchive.substr(0, 1024), kExtract, 3, corrupt},
        {"unrar", "C:\\Program Files\\Corvalis\\Demos", "in the way", kExtract, 9,
         "Cannot create folder C:\\Program Files\\Corvalis\\Demos"},
        {"unrar", "CORVALIS_UNRAR_EXIT", "255", kExtract, 255, "All OK"}, // forced after the extraction
        {"unrar", "CORVALIS_UNRAR_EXIT", "none", kExtract, 0, "All OK"},
    };
    for (const Failure& failure : failures) {
        MemoryFiles files;
        const Environment env = [&](const std::string& name) {
            return name == failure.file ? std::optional<std::string>(failure.text) : std::nullopt;
        };
        product::WriteProductTree(files, "C:\\P", {true, false});
        AddIdes(files);
        const std::string output = "\"C:\\P\\Delphi7\"";
        files.AddFile(kD7 + "dcc32.cfg", "-U" + output + "\r\n-LE" + output + " -LN" + output + "\r\n-N0" + output);
        files.ForceDirectories("C:\\P\\Delphi7");
        files.AddFile(kD12 + "dcc64.cfg", Dcc64Config("-NS\"Winapi;System;Vcl\""));
        files.ForceDirectories("C:\\P\\Delphi12\\Win64");
        files.AddFile("C:\\Setup\\data.arc", kArchive);
        RunStandIn(files, "bpr2mak", "CorvalisC6.bpk");
        RunStandIn(files, "bpr2mak", "CorvalisDsgnC6.bpk");
        const bool path = failure.file.find('\\') != std::string::npos;
        if (path && !failure.text.empty())
            files.AddFile(failure.file, failure.text);
        else if (path && !files.DeleteFile(failure.file))
            files.DeleteTree(failure.file);

        const ToolRun result = RunStandIn(files, failure.tool, failure.arguments, {}, env);
        EXPECT_EQ(result.exitCode, failure.exitCode) << failure.message;
        const std::string printed = Trim(result.output + result.error);
        EXPECT_THAT(printed.substr(printed.find_last_of('\n') + 1), ::testing::StartsWith(failure.message));
        std::vector<FoundFile> built;
        FindFiles(files, "C:\\P", "*.bpl", true, nullptr, built);
        EXPECT_TRUE(built.empty()) << failure.message;
    }
}

TEST(StandIns, RunAsChildProcessesOnlyFromTheirProgramFiles)
{
    MemoryPlatform machine;
    machine.processes.SetExecutablePath("C:\\Setup\\setup.exe");
    TLogToList log(machine.locale);
    const auto run = [&] {
        return RunProcess(machine.processes, machine.locale, log, "unrar.exe " + kExtract, "C:\\");
    };
    EXPECT_EQ(run(), -1);
    InstallStandIn(machine, "C:\\Setup\\unrar.exe", RunUnrar); // beside the installer
    EXPECT_EQ(run(), 6);
    EXPECT_EQ(log.Messages.back().Level, llError);
    machine.files.AddFile("C:\\data.arc", kArchive);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(log.Messages.back().Level, llDebug);
}

} // namespace
} // namespace corvalis::standins
