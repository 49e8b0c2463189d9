#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/uLogger.h"
#include "platform/memory/MemoryPlatform.h"
#include "product/PackageProjects.h"
#include "product/ProductTree.h"
#include "standins/CompilerConfig.h"
#include "standins/Dcc32.h"
#include "standins/MemoryStandIns.h"
#include "standins/StandInTesting.h"

namespace corvalis::standins {
namespace {

using ::testing::Contains;
using testing::FakeEnvironment;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::Lines;
using ::testing::Not;

const std::string kRoot = "C:\\Program Files\\Borland\\Delphi7";
const std::string kCompiler = kRoot + "\\Bin\\dcc32.exe";
const std::string kProduct = "C:\\Program Files\\Halvorn\\Corvalis";
const std::string kPackages = kProduct + "\\Packages\\Delphi7";
const std::string kOutput = kProduct + "\\Delphi7";

class Dcc32Test : public ::testing::Test {
protected:
    Dcc32Test()
    {
        product::WriteProductTree(files, kProduct, {true, false});
        for (const std::string& library : product::IdeLibraryFiles(product::IdeFolderNamed("Delphi7")))
            files.AddFile(kRoot + "\\Lib\\" + library, "the IDE's " + library);
        files.ForceDirectories(kOutput);
        WriteConfig(Config());
    }

    // What the installer writes for a Delphi 7 with an empty search path.
    CompilerConfig Config() const
    {
        return {kOutput, "", kRoot + "\\Projects\\Bpl;" + kRoot + "\\Projects\\Bpl", "$(DELPHI)\\Projects\\Bpl"};
    }
    void WriteConfig(const CompilerConfig& config) { files.WriteFile(kPackages + "\\dcc32.cfg", config.Text()); }

    ToolRun Compile(const std::string& project, const std::string& folder = kPackages)
    {
        return RunDcc32(files, "\"" + kCompiler + "\" \"" + project + "\"", folder, kCompiler, env.Lookup());
    }

    MemoryFiles files;
    FakeEnvironment env;
};

TEST_F(Dcc32Test, TheInstallersConfigurationBuildsTheRuntimeThenTheDesignPackage)
{
    const ToolRun runtime = Compile("CorvalisD7.dpk");
    ASSERT_EQ(runtime.exitCode, 0) << runtime.output;
    const ToolRun design = Compile("CorvalisDsgnD7.dpk");
    ASSERT_EQ(design.exitCode, 0) << design.output;

    for (const char* file : {"CorvalisD7.bpl", "CorvalisD7.dcp", "CrvConsts.dcu", "CrvCore.dcu", "CrvMetadata.dcu",
                             "CorvalisDsgnD7.bpl", "CorvalisDsgnD7.dcp", "CrvReg.dcu", "CrvEditors.dcu"})
        EXPECT_TRUE(files.FileExists(kOutput + "\\" + file)) << file;
    for (const char* file : {"CorvalisD7.bpi", "CorvalisD7.lib", "CrvCore.hpp", "CrvCore.obj"})
        EXPECT_FALSE(files.FileExists(kOutput + "\\" + file)) << file;
    EXPECT_THAT(*files.ReadFile(kOutput + "\\CorvalisDsgnD7.bpl"),
                HasSubstr("requires rtl, vcl, designide, CorvalisD7; contains CrvReg, CrvEditors"));

    const std::vector<std::string> lines = Lines(design.output);
    EXPECT_THAT(lines.front(), HasSubstr("compiler"));
    EXPECT_THAT(lines, Contains(kPackages + "\\CorvalisDsgnD7.dpk(23)"));
    EXPECT_THAT(lines, Contains(kProduct + "\\Sources\\CrvReg.pas(9)"));
    EXPECT_THAT(lines.back(), ::testing::MatchesRegex("41 lines, [0-9]+\\.[0-9][0-9] seconds\\."));
    EXPECT_THAT(design.error, IsEmpty());
}

TEST_F(Dcc32Test, WithJLTheCppBuilderFilesAreWrittenToo)
{
    CompilerConfig config = Config();
    config.cppBuilderFiles = true;
    WriteConfig(config);
    ASSERT_EQ(Compile("CorvalisD7.dpk").exitCode, 0);
    for (const char* file : {"CorvalisD7.bpi", "CorvalisD7.lib", "CrvCore.hpp", "CrvCore.obj", "CrvCore.dcu"})
        EXPECT_TRUE(files.FileExists(kOutput + "\\" + file)) << file;
}

TEST_F(Dcc32Test, TheDesignPackageFailsWhenTheConfigurationLacksTheRuntimePackagesFolder)
{
    ASSERT_EQ(Compile("CorvalisD7.dpk").exitCode, 0);
    std::string config = Config().Text();
    // Without the output folder in the -U lines and with -LN elsewhere.
    config.replace(config.find("-U\"" + kOutput + ";" + kOutput + "\""), 4 + 2 * kOutput.size() + 2, "-U\"\"");
    config.replace(config.find("-LN\"" + kOutput), 4 + kOutput.size(), "-LN\"C:\\Elsewhere");
    files.ForceDirectories("C:\\Elsewhere");
    files.WriteFile(kPackages + "\\dcc32.cfg", config);

    const ToolRun run = Compile("CorvalisDsgnD7.dpk");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Lines(run.output).back(), "CorvalisDsgnD7.dpk(17) Fatal: File not found: 'CorvalisD7.dcp'");
    EXPECT_FALSE(files.FileExists(kOutput + "\\CorvalisDsgnD7.bpl"));
}

TEST_F(Dcc32Test, AMissingIdePackageFailsTheRequiresClause)
{
    files.DeleteFile(kRoot + "\\Lib\\designide.dcp");
    ASSERT_EQ(Compile("CorvalisD7.dpk").exitCode, 0);
    const ToolRun run = Compile("CorvalisDsgnD7.dpk");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.output, HasSubstr("Fatal: File not found: 'designide.dcp'"));
}

TEST_F(Dcc32Test, AMissingUnitIsFatalAndLeavesNoPackage)
{
    files.DeleteFile(kProduct + "\\Sources\\CrvCore.pas");
    const ToolRun run = Compile("CorvalisD7.dpk");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.output, HasSubstr("CorvalisD7.dpk(19) Fatal: File not found: '..\\..\\Sources\\CrvCore.pas'"));
    EXPECT_TRUE(files.FileExists(kOutput + "\\CrvConsts.dcu")); // compiled before the failure
    EXPECT_FALSE(files.FileExists(kOutput + "\\CorvalisD7.bpl"));
}

TEST_F(Dcc32Test, WithoutSourcesThePrecompiledUnitsAreUsed)
{
    files.DeleteTree(kProduct);
    product::WriteProductTree(files, kProduct, {false, false});
    WriteConfig(Config());
    const ToolRun run = Compile("CorvalisD7.dpk");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_THAT(run.output, Not(HasSubstr("CrvCore.pas")));
    EXPECT_THAT(*files.ReadFile(kOutput + "\\CrvCore.dcu"), HasSubstr("precompiled"));
    EXPECT_TRUE(files.FileExists(kOutput + "\\CorvalisD7.bpl"));
}

TEST_F(Dcc32Test, AMissingOutputFolderIsFatal)
{
    files.DeleteTree(kOutput);
    const ToolRun run = Compile("CorvalisD7.dpk");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.output, HasSubstr("Fatal: Could not create output file '" + kOutput + "\\CrvConsts.dcu'"));
    EXPECT_FALSE(files.DirectoryExists(kOutput));
}

TEST_F(Dcc32Test, AMissingOrMalformedSourceIsFatal)
{
    EXPECT_THAT(Compile("CorvalisD8.dpk").output, HasSubstr("Fatal: File not found: 'CorvalisD8.dpk'"));
    files.WriteFile(kPackages + "\\Broken.dpk", "package Broken;\r\nrequires rtl vcl;\r\nend.\r\n");
    const ToolRun broken = Compile("Broken.dpk");
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(Lines(broken.output).back(), "Broken.dpk(2) Error: ',' expected but 'vcl' found");
    files.WriteFile(kPackages + "\\Renamed.dpk", "package Other;\r\nend.\r\n");
    EXPECT_THAT(Compile("Renamed.dpk").output, HasSubstr("package name 'Other' does not match the file name"));
}

TEST_F(Dcc32Test, OnlyOnePackageSourceIsAccepted)
{
    const std::string cases[] = {"\"" + kCompiler + "\"", "\"" + kCompiler + "\" -B",
                                 "\"" + kCompiler + "\" CorvalisD7.dpk CorvalisDsgnD7.dpk",
                                 "\"" + kCompiler + "\" CRVDemo.dpr"};
    for (const std::string& commandLine : cases) {
        const ToolRun run = RunDcc32(files, commandLine, kPackages, kCompiler, env.Lookup());
        EXPECT_EQ(run.exitCode, 1) << commandLine;
        EXPECT_THAT(run.output, HasSubstr("one package source (.dpk) expected")) << commandLine;
    }
}

TEST_F(Dcc32Test, ForcedFailuresHitTheNamedPackagesOnly)
{
    env.Set("CORVALIS_DCC32_FAIL", "CorvalisADOD7.dpk; corvalisd11.dpk");
    ASSERT_EQ(Compile("CorvalisD7.dpk").exitCode, 0);
    const ToolRun run = Compile("CorvalisADOD7.dpk");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.output, HasSubstr("CORVALIS_DCC32_FAIL"));
    EXPECT_FALSE(files.FileExists(kOutput + "\\CrvADOProvider.dcu"));
    files.ForceDirectories(kProduct + "\\Delphi2007");
    EXPECT_EQ(Compile("CorvalisD11.dpk", kProduct + "\\Packages\\Delphi2007").exitCode, 1);
    env.Set("CORVALIS_DCC32_FAIL", "*");
    EXPECT_EQ(Compile("CorvalisD7.dpk").exitCode, 1);
}

TEST_F(Dcc32Test, ConfigurationFilesAndSwitchesApplyInTheirOrder)
{
    // Beside the compiler: a wrong package folder and an extra unit folder that holds the
    // IDE's packages; in the working folder the right one; the command line adds -JL.
    files.DeleteTree(kRoot + "\\Lib");
    for (const std::string& library : product::IdeLibraryFiles(product::IdeFolderNamed("Delphi7")))
        files.AddFile("C:\\Shared Lib\\" + library);
    files.AddFile(kRoot + "\\Bin\\dcc32.cfg", "-LE\"C:\\Wrong\" -U\"C:\\Shared Lib\"\n");
    files.WriteFile(kPackages + "\\dcc32.cfg", "-U\"..\\..\\Sources\" -LE\"" + kOutput + "\" -N0\"" + kOutput + "\"");
    const ToolRun run = RunDcc32(files, "\"" + kCompiler + "\" CorvalisD7.dpk -JL", kPackages, kCompiler, env.Lookup());
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(files.FileExists(kOutput + "\\CorvalisD7.bpl"));
    EXPECT_TRUE(files.FileExists(kPackages + "\\CorvalisD7.dcp")); // no -LN: beside the source
    EXPECT_TRUE(files.FileExists(kPackages + "\\CorvalisD7.bpi")); // no -NB: beside the .dcp
    EXPECT_TRUE(files.FileExists(kOutput + "\\CrvCore.hpp"));      // no -NH: beside the .dcu
}

TEST_F(Dcc32Test, FolderMacrosAreTakenFromTheEnvironment)
{
    CompilerConfig config = Config();
    config.searchPath = "$(CORVALISLIB)";
    WriteConfig(config);
    files.DeleteFile(kRoot + "\\Lib\\vcl.dcp");
    files.AddFile("C:\\Extra\\vcl.dcp");
    EXPECT_EQ(Compile("CorvalisD7.dpk").exitCode, 1);
    env.Set("CORVALISLIB", "C:\\Extra");
    EXPECT_EQ(Compile("CorvalisD7.dpk").exitCode, 0);
}

TEST(Dcc32Handler, TheCompilerRunsUnderItsFullPathAndItsOutputIsLoggedAsDebugLines)
{
    MemoryPlatform machine;
    product::WriteProductTree(machine.files, kProduct, {true, false});
    for (const std::string& library : product::IdeLibraryFiles(product::IdeFolderNamed("Delphi7")))
        machine.files.AddFile(kRoot + "\\Lib\\" + library);
    machine.files.ForceDirectories(kOutput);
    machine.files.WriteFile(kPackages + "\\dcc32.cfg", CompilerConfig{kOutput}.Text());
    InstallStandIn(machine.processes, machine.files, kCompiler, RunDcc32);
    TLogToList log(machine.locale);

    EXPECT_EQ(RunProcess(machine.processes, machine.locale, log, "\"" + kCompiler + "\" \"CorvalisD7.dpk\"", kPackages),
              0);
    EXPECT_TRUE(machine.files.FileExists(kOutput + "\\CorvalisD7.bpl"));
    machine.processes.SetEnv("CORVALIS_DCC32_FAIL", "CorvalisDsgnD7.dpk");
    log.Messages.clear();
    EXPECT_EQ(
        RunProcess(machine.processes, machine.locale, log, "\"" + kCompiler + "\" \"CorvalisDsgnD7.dpk\"", kPackages),
        1);
    ASSERT_FALSE(log.Messages.empty());
    EXPECT_EQ(log.Messages.back().Level, llDebug);
    EXPECT_EQ(machine.locale.WideToAnsi(log.Messages.back().Text),
              "CorvalisDsgnD7.dpk(1) Fatal: failure forced by CORVALIS_DCC32_FAIL");
    EXPECT_EQ(RunProcess(machine.processes, machine.locale, log, "\"C:\\Delphi6\\Bin\\dcc32.exe\" \"CorvalisD7.dpk\"",
                         kPackages),
              -1);
}

} // namespace
} // namespace corvalis::standins
