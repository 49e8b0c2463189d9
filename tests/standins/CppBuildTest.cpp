#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "engine/uLogger.h"
#include "ide/Utils.h"
#include "platform/memory/MemoryPlatform.h"
#include "product/PackageProjects.h"
#include "product/ProductTree.h"
#include "standins/Bpr2Mak.h"
#include "standins/Make.h"
#include "standins/Makefile.h"
#include "standins/MemoryStandIns.h"
#include "standins/StandInTesting.h"

namespace corvalis::standins {
namespace {

using testing::FakeEnvironment;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::Lines;
using testing::SampleFile;
using ::testing::SizeIs;

const std::string kRoot = "C:\\Program Files\\Borland\\CBuilder6";
const std::string kBpr2Mak = kRoot + "\\Bin\\bpr2mak.exe";
const std::string kMake = kRoot + "\\Bin\\make.exe";
const std::string kProduct = "C:\\Corvalis";
const std::string kPackages = kProduct + "\\Packages\\CBuilder6";
const std::string kOutput = kProduct + "\\CBuilder6";
const std::string kSample = "C:\\GR32\\Packages";

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// The engine's two command lines for a project.
std::string ConvertCommand(const std::string& folder, const std::string& project)
{
    return Quoted(kBpr2Mak) + " " + Quoted(folder + "\\" + project);
}
std::string MakeCommand(const std::string& folder, const std::string& project)
{
    return Quoted(kMake) + " -f" + Quoted(folder + "\\" + ChangeFileExt(project, ".mak")) + " ";
}

class CppBuildTest : public ::testing::Test {
protected:
    CppBuildTest()
    {
        for (const std::string& library : product::IdeLibraryFiles(product::IdeFolderNamed("CBuilder6")))
            files.AddFile(kRoot + "\\Lib\\" + library, "the IDE's " + library);
    }

    void WriteProduct(bool withSources)
    {
        product::WriteProductTree(files, kProduct, {withSources, false});
        files.ForceDirectories(kOutput);
    }

    // The graphics32 package project beside its Pascal units, as its repository holds them.
    void WriteSample()
    {
        const std::string project = SampleFile("graphics32__GR32_Packages_GR32_CB6.bpk");
        files.AddFile(kSample + "\\GR32_CB6.bpk", project);
        files.AddFile(kSample + "\\GR32_CB6.cpp", "#include <vcl.h>\r\n");
        const std::regex unit("FILENAME=\"\\.\\.\\\\(\\w+)\\.pas\"");
        for (auto match = std::sregex_iterator(project.begin(), project.end(), unit); match != std::sregex_iterator();
             ++match)
            files.AddFile("C:\\GR32\\" + (*match)[1].str() + ".pas", "unit " + (*match)[1].str() + ";\r\n");
    }

    ToolRun Convert(const std::string& folder, const std::string& project)
    {
        return RunBpr2Mak(files, ConvertCommand(folder, project), folder, kBpr2Mak, env.Lookup());
    }
    ToolRun Make(const std::string& folder, const std::string& project)
    {
        return RunMake(files, MakeCommand(folder, project), folder, kMake, env.Lookup());
    }
    // Both steps, as the installer runs them; the run of the step that failed, else of make.
    ToolRun Build(const std::string& folder, const std::string& project)
    {
        const ToolRun converted = Convert(folder, project);
        return converted.exitCode != 0 ? converted : Make(folder, project);
    }

    MemoryFiles files;
    FakeEnvironment env;
};

TEST_F(CppBuildTest, TheRealSampleProjectBuildsBesideItsSources)
{
    WriteSample();
    const ToolRun run = Build(kSample, "GR32_CB6.bpk");
    ASSERT_EQ(run.exitCode, 0) << run.error;
    for (const char* file : {"GR32_CB6.mak", "GR32_CB6.bpl", "GR32_CB6.bpi", "GR32_CB6.lib", "GR32_CB6.obj",
                             "GR32_CB6.tds", "GR32.hpp", "GR32_ExtImage.hpp"})
        EXPECT_TRUE(files.FileExists(kSample + "\\" + file)) << file;
    EXPECT_TRUE(files.FileExists("C:\\GR32\\GR32_Resamplers.obj"));
    EXPECT_EQ(Lines(run.output).back(), "Linking " + kSample + "\\GR32_CB6.bpl");
    EXPECT_THAT(run.error, IsEmpty());
}

TEST_F(CppBuildTest, TheMakefileKeepsEverySettingOfTheProject)
{
    WriteSample();
    ASSERT_EQ(Convert(kSample, "GR32_CB6.bpk").exitCode, 0);
    const std::string text = *files.ReadFile(kSample + "\\GR32_CB6.mak");
    EXPECT_THAT(text, HasSubstr(" \\\r\n")); // long lists go on in continuation lines
    const Makefile makefile = Makefile::Parse(text);
    const auto macro = [&](const std::string& name) {
        for (const Makefile::Macro& m : makefile.macros)
            if (m.name == name)
                return m.value;
        return std::string("(undefined)");
    };
    EXPECT_EQ(macro("BCB"), "$(MAKEDIR)\\..");
    EXPECT_EQ(macro("LFLAGS"), "-D\"Graphics32\" -aa -Tpp -x -Gn -Gl -Gi -v");
    EXPECT_EQ(macro("LIBPATH"), "..\\;..;$(BCB)\\Projects\\Lib;$(BCB)\\lib\\obj;$(BCB)\\lib");
    EXPECT_THAT(SplitList(macro("OBJFILES"), ' '), SizeIs(20));
    EXPECT_EQ(SplitList(macro("OBJFILES"), ' ').back(), "..\\GR32_ExtImage.obj");
    EXPECT_THAT(SplitList(macro("PASFILES"), ' '), SizeIs(19));
    EXPECT_EQ(macro("CPPFILES"), "GR32_CB6.cpp");
    EXPECT_EQ(makefile.target, "$(PROJECT)");
    EXPECT_EQ(makefile.dependencies, "$(OBJFILES)");
}

TEST_F(CppBuildTest, AGeneratedDesignPackageBuildsAfterItsRuntimePackage)
{
    WriteProduct(true);
    ASSERT_EQ(Build(kPackages, "CorvalisC6.bpk").exitCode, 0);
    const ToolRun run = Build(kPackages, "CorvalisDsgnC6.bpk");
    ASSERT_EQ(run.exitCode, 0) << run.error;
    for (const char* file : {"CorvalisC6.bpl", "CorvalisC6.bpi", "CorvalisC6.lib", "CorvalisDsgnC6.bpl", "CrvCore.hpp",
                             "CrvEditors.hpp", "obj\\CrvCore.obj", "obj\\CrvReg.obj"})
        EXPECT_TRUE(files.FileExists(kOutput + "\\" + file)) << file;
    for (const char* file : {"CorvalisDsgnC6.mak", "CorvalisDsgnC6.obj", "CorvalisDsgnC6.tds"})
        EXPECT_TRUE(files.FileExists(kPackages + "\\" + file)) << file;
    EXPECT_THAT(Lines(run.output), ::testing::Contains("Compiling " + kProduct + "\\Sources\\CrvReg.pas"));
}

TEST_F(CppBuildTest, ADesignPackageBeforeItsRuntimePackageFailsToLink)
{
    WriteProduct(true);
    const ToolRun run = Build(kPackages, "CorvalisDsgnC6.bpk");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.error, "Fatal: Unable to open file 'CorvalisC6.bpi'\r\n");
    EXPECT_FALSE(files.FileExists(kOutput + "\\CorvalisDsgnC6.bpl"));
    EXPECT_TRUE(files.FileExists(kOutput + "\\obj\\CrvReg.obj")); // compiled before the link failed
}

TEST_F(CppBuildTest, AMissingIdePackageFailsTheLink)
{
    WriteProduct(true);
    files.DeleteFile(kRoot + "\\Lib\\vcl.bpi");
    const ToolRun run = Build(kPackages, "CorvalisC6.bpk");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.error, HasSubstr("'vcl.bpi'"));
}

TEST_F(CppBuildTest, AnObjectWithoutSourceMustExistAlready)
{
    WriteProduct(true);
    files.DeleteFile(kProduct + "\\Sources\\CrvCore.pas");
    const ToolRun run = Build(kPackages, "CorvalisC6.bpk");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.error, HasSubstr("'" + kOutput + "\\obj\\CrvCore.obj' does not exist - don't know how to make it"));

    files.DeleteTree(kProduct);
    WriteProduct(false);
    const ToolRun precompiled = Build(kPackages, "CorvalisC6.bpk");
    EXPECT_EQ(precompiled.exitCode, 0) << precompiled.error;
    EXPECT_THAT(*files.ReadFile(kOutput + "\\obj\\CrvCore.obj"), HasSubstr("precompiled"));
    EXPECT_TRUE(files.FileExists(kOutput + "\\CorvalisC6.bpl"));
}

TEST_F(CppBuildTest, MakeCreatesNoFolder)
{
    WriteProduct(true);
    files.DeleteTree(kOutput);
    const ToolRun run = Build(kPackages, "CorvalisC6.bpk");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.error, HasSubstr("Unable to create file '" + kOutput + "\\obj\\CrvConsts.obj'"));
    EXPECT_FALSE(files.DirectoryExists(kOutput));
}

TEST_F(CppBuildTest, Bpr2MakRefusesWhatIsNotOneProject)
{
    files.AddFile("C:\\P\\Text.bpk", "just text");
    files.AddFile("C:\\P\\Other.bpk", "<?xml version='1.0'?><OTHER/>");
    files.AddFile("C:\\P\\Open.bpk", "<PROJECT><MACROS><PROJECT value=\"Open.bpl\"/></PROJECT>");
    files.AddFile("C:\\P\\NoTarget.bpk", "<PROJECT><MACROS><VERSION value=\"BCB.06.00\"/></MACROS></PROJECT>");
    files.AddFile("C:\\P\\Quote.bpk", "<PROJECT><MACROS><PROJECT value=\"Quote.bpl/></MACROS></PROJECT>");
    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {"", "one project file expected"},
        {"C:\\P\\Text.bpk C:\\P\\Other.bpk", "one project file expected"},
        {"-o C:\\P\\Text.bpk", "one project file expected"},
        {"C:\\P\\Missing.bpk", "unable to open project file C:\\P\\Missing.bpk"},
        {"C:\\P\\Text.bpk", "Text.bpk: not a C++Builder project: no <PROJECT> element"},
        {"C:\\P\\Other.bpk", "the root element is <OTHER>"},
        {"C:\\P\\Open.bpk", "</PROJECT> closes no open element"},
        {"C:\\P\\NoTarget.bpk", "names no PROJECT"},
        {"C:\\P\\Quote.bpk", "without its closing quote"},
    };
    for (const Case& c : cases) {
        const ToolRun run = RunBpr2Mak(files, Quoted(kBpr2Mak) + " " + c.arguments, "C:\\P", kBpr2Mak, env.Lookup());
        EXPECT_EQ(run.exitCode, 1) << c.arguments;
        EXPECT_THAT(run.error, HasSubstr(c.message)) << c.arguments;
    }
    EXPECT_TRUE(files.Enumerate("C:\\P").size() == 5) << "no makefile written";
}

TEST_F(CppBuildTest, MakeRefusesAnythingButOneMakefile)
{
    const std::string cases[] = {"", "all", "-f", "-fA.mak -fB.mak", "-fC:\\P\\Missing.mak"};
    for (const std::string& arguments : cases) {
        const ToolRun run = RunMake(files, Quoted(kMake) + " " + arguments, "C:\\", kMake, env.Lookup());
        EXPECT_EQ(run.exitCode, 1) << arguments;
        EXPECT_THAT(run.error, HasSubstr("Fatal: ")) << arguments;
    }
    files.AddFile("C:\\P\\Rules.mak", "# nothing to make\r\nX = 1\r\n");
    EXPECT_THAT(RunMake(files, Quoted(kMake) + " -f C:\\P\\Rules.mak", "C:\\P", kMake, env.Lookup()).error,
                HasSubstr("has no rule to make"));
    files.AddFile("C:\\P\\Loop.mak", "X = a $(X)\r\n$(X): b\r\n");
    EXPECT_THAT(RunMake(files, Quoted(kMake) + " -fC:\\P\\Loop.mak", "C:\\P", kMake, env.Lookup()).error,
                HasSubstr("macros nested too deeply"));
}

TEST_F(CppBuildTest, ForcedFailuresHitTheNamedFilesOnly)
{
    WriteProduct(true);
    env.Set("CORVALIS_BPR2MAK_FAIL", "CorvalisDsgnC6.bpk");
    env.Set("CORVALIS_MAKE_FAIL", "CorvalisADOC6.mak");
    EXPECT_EQ(Build(kPackages, "CorvalisC6.bpk").exitCode, 0);
    const ToolRun converter = Convert(kPackages, "CorvalisDsgnC6.bpk");
    EXPECT_EQ(converter.exitCode, 1);
    EXPECT_THAT(converter.error, HasSubstr("CORVALIS_BPR2MAK_FAIL"));
    EXPECT_FALSE(files.FileExists(kPackages + "\\CorvalisDsgnC6.mak"));
    EXPECT_EQ(Convert(kPackages, "CorvalisADOC6.bpk").exitCode, 0);
    const ToolRun make = Make(kPackages, "CorvalisADOC6.bpk");
    EXPECT_EQ(make.exitCode, 1);
    EXPECT_THAT(make.error, HasSubstr("CORVALIS_MAKE_FAIL"));
    EXPECT_FALSE(files.FileExists(kOutput + "\\obj\\CrvADOProvider.obj"));
    env.Set("CORVALIS_MAKE_FAIL", "*");
    EXPECT_EQ(Make(kPackages, "CorvalisC6.bpk").exitCode, 1);
}

TEST(CppBuildHandler, TheInstallersCommandLinesRunBothToolsAndErrorsAreLoggedAsErrors)
{
    MemoryPlatform machine;
    product::WriteProductTree(machine.files, kProduct, {true, false});
    machine.files.ForceDirectories(kOutput);
    for (const std::string& library : product::IdeLibraryFiles(product::IdeFolderNamed("CBuilder6")))
        machine.files.AddFile(kRoot + "\\Lib\\" + library);
    InstallStandIn(machine.processes, machine.files, kBpr2Mak, RunBpr2Mak);
    InstallStandIn(machine.processes, machine.files, kMake, RunMake);
    TLogToList log(machine.locale);
    const auto run = [&](const std::string& commandLine) {
        return RunProcess(machine.processes, machine.locale, log, commandLine, kPackages);
    };

    EXPECT_EQ(run(ConvertCommand(kPackages, "CorvalisC6.bpk")), 0);
    EXPECT_EQ(run(MakeCommand(kPackages, "CorvalisC6.bpk")), 0);
    EXPECT_TRUE(machine.files.FileExists(kOutput + "\\CorvalisC6.bpl"));
    EXPECT_EQ(run(ConvertCommand(kPackages, "CorvalisDsgnADOC6.bpk")), 0);
    log.Messages.clear();
    EXPECT_EQ(run(MakeCommand(kPackages, "CorvalisDsgnADOC6.bpk")), 1);
    ASSERT_FALSE(log.Messages.empty());
    EXPECT_EQ(log.Messages.back().Level, llError);
    EXPECT_EQ(machine.locale.WideToAnsi(log.Messages.back().Text), "Fatal: Unable to open file 'CorvalisADOC6.bpi'");
}

} // namespace
} // namespace corvalis::standins
