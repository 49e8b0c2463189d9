// The stand-ins against IDE data files of public projects (tests/data/samples), byte for
// byte: what real configurations and package sources hold, the tools must cope with.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/memory/MemoryFiles.h"
#include "standins/CompilerConfig.h"
#include "standins/Dcc32.h"
#include "standins/Dcc32Options.h"
#include "standins/PackageSource.h"
#include "standins/StandInTesting.h"

namespace corvalis::standins {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::FakeEnvironment;
using ::testing::IsEmpty;
using testing::SampleFile;

struct ConfigCase {
    std::string file;
    size_t unitPaths;
    std::string firstUnitPath;
    std::string lastUnitPath;
    std::string bplOutput;
    std::string dcpOutput;
    std::string dcuOutput;
};

TEST(Samples, RealConfigurationFilesGiveTheirFolders)
{
    const ConfigCase cases[] = {
        // Slash switches, each folder quoted on its own, folders with blanks, "  + CR LF endings.
        {"Moobylicious-delphi5compiler__Bin_dcc32.cfg", 34, "c:\\delphi5\\Lib",
         "C:\\BuildAgent\\work\\595a2c2e48fe393a\\Build\\Build Scripts\\..\\..\\Membership System\\Membership "
         "Editors\\Source",
         "", "", ""},
        // Lower-case switches.
        {"mpryanikov-sourseide-delphi7__Bin_dcc32.cfg", 2, "C:\\Program Files (x86)\\Borland\\Delphi7\\lib",
         "C:\\Program Files (x86)\\Borland\\Delphi7\\lib\\Obj", "", "", ""},
        // One quoted string holding the list; -N of the older compilers.
        {"r3code-delphi7-batch-build-scripts__projects_MyApp.cfg", 2, "../source", "../source/logger", "../build/bin/",
         "../build/dcu/", "../build/dcu/"},
        {"Moobylicious-delphi5compiler__lib_dclusr50.cfg", 0, "", "",
         "c:\\dev\\programs\\delphi5\\delphi5\\Projects\\Bpl", "c:\\dev\\programs\\delphi5\\delphi5\\Projects\\Bpl",
         ""},
    };
    for (const ConfigCase& c : cases) {
        Dcc32Options options;
        options.ApplyConfig(SampleFile(c.file));
        ASSERT_EQ(options.unitPaths.size(), c.unitPaths) << c.file;
        if (c.unitPaths > 0) {
            EXPECT_EQ(options.unitPaths.front(), c.firstUnitPath) << c.file;
            EXPECT_EQ(options.unitPaths.back(), c.lastUnitPath) << c.file;
        }
        EXPECT_EQ(options.bplOutput, c.bplOutput) << c.file;
        EXPECT_EQ(options.dcpOutput, c.dcpOutput) << c.file;
        EXPECT_EQ(options.dcuOutput, c.dcuOutput) << c.file;
        EXPECT_FALSE(options.cppBuilderFiles) << c.file;
    }
}

TEST(Samples, TheInstallersConfigurationGivesEveryFolderInItsOrder)
{
    CompilerConfig config{"C:\\Out", "C:\\RAD\\Lib;C:\\RAD\\Imports", "C:\\Bpl;C:\\Dcp", "$(BDS)\\Projects\\Bpl", true};
    Dcc32Options options;
    options.ApplyConfig(config.Text());
    EXPECT_THAT(options.unitPaths, ElementsAre("C:\\Out", "C:\\Out", "C:\\RAD\\Lib", "C:\\RAD\\Imports", "C:\\Bpl",
                                               "C:\\Dcp", "$(BDS)\\Projects\\Bpl"));
    for (const std::string* folder : {&options.bplOutput, &options.dcpOutput, &options.dcuOutput, &options.hppOutput,
                                      &options.objOutput, &options.bpiOutput})
        EXPECT_EQ(*folder, "C:\\Out");
    EXPECT_TRUE(options.cppBuilderFiles);

    Dcc32Options empty;
    empty.ApplyConfig(CompilerConfig{"C:\\Out"}.Text());
    EXPECT_THAT(empty.unitPaths, ElementsAre("C:\\Out", "C:\\Out")); // -U"" adds nothing
    EXPECT_FALSE(empty.cppBuilderFiles);
}

struct SourceCase {
    std::string file;
    std::string name;
    std::vector<std::string> requiredPackages;
    size_t units;
    PackageSource::Item firstUnit;
    std::string lastUnit;
    int lines;
};

TEST(Samples, RealPackageSourcesGiveTheirRequiresAndContains)
{
    const SourceCase cases[] = {
        // Disabled directives "{ ASSERTIONS ON}", a name whose case differs from the file's.
        {"Moobylicious-delphi5compiler__lib_dclusr50.dpk",
         "Dclusr50",
         {"vcl50"},
         1,
         {"CrystalDataObject_TLB", "..\\Imports\\CrystalDataObject_TLB.pas", 34},
         "CrystalDataObject_TLB",
         36},
        // Three lines ending CR CR LF.
        {"graphics32__GR32_Packages_GR32_D7.dpk",
         "GR32_D7",
         {"vcl", "rtl"},
         20,
         {"GR32", "..\\GR32.pas", 33},
         "GR32_Resamplers",
         54},
        // Every line ending CR CR LF, a form comment after a path.
        {"graphics32__GR32_Packages_GR32_DSGN_D7.dpk",
         "GR32_DSGN_D7",
         {"designide", "vcl", "rtl", "GR32_D7"},
         3,
         {"GR32_Dsgn_Bitmap", "..\\GR32_Dsgn_Bitmap.pas", 36},
         "GR32_Dsgn_Color",
         40},
        {"graphics32__GR32_Packages_GR32_BDS2010.dpk",
         "GR32_BDS2010",
         {"vcl"},
         23,
         {"GR32", "..\\GR32.pas", 33},
         "GR32_Resamplers",
         57},
    };
    for (const SourceCase& c : cases) {
        const PackageSource source = PackageSource::Parse(SampleFile(c.file), c.file);
        EXPECT_EQ(source.name, c.name);
        std::vector<std::string> required;
        for (const PackageSource::Item& item : source.requiredPackages)
            required.push_back(item.name);
        EXPECT_THAT(required, ElementsAreArray(c.requiredPackages)) << c.file;
        ASSERT_EQ(source.units.size(), c.units) << c.file;
        EXPECT_EQ(source.units.front().name, c.firstUnit.name) << c.file;
        EXPECT_EQ(source.units.front().path, c.firstUnit.path) << c.file;
        EXPECT_EQ(source.units.front().line, c.firstUnit.line) << c.file;
        EXPECT_EQ(source.units.back().name, c.lastUnit) << c.file;
        EXPECT_EQ(source.lines, c.lines) << c.file;
    }
}

class SampleCompileTest : public ::testing::Test {
protected:
    ToolRun Compile(const std::string& compiler, const std::string& folder, const std::string& project)
    {
        return RunDcc32(files, "\"" + compiler + "\" \"" + project + "\"", folder, compiler, env.Lookup());
    }

    MemoryFiles files;
    FakeEnvironment env;
};

TEST_F(SampleCompileTest, TheGraphicsPackagesBuildWithARealProjectConfiguration)
{
    const std::string compiler = "C:\\Delphi7\\Bin\\dcc32.exe";
    for (const char* library : {"rtl.dcp", "vcl.dcp", "designide.dcp"})
        files.AddFile(std::string("C:\\Delphi7\\Lib\\") + library);
    const std::string packages = "C:\\GR32\\Packages";
    files.AddFile(packages + "\\dcc32.cfg", SampleFile("r3code-delphi7-batch-build-scripts__projects_MyApp.cfg"));
    for (const char* project : {"GR32_D7", "GR32_DSGN_D7"}) {
        const std::string file = std::string(project) + ".dpk";
        const std::string text = SampleFile("graphics32__GR32_Packages_" + file);
        files.AddFile(packages + "\\" + file, text);
        for (const PackageSource::Item& unit : PackageSource::Parse(text, file).units)
            files.AddFile(packages + "\\" + unit.path, "unit " + unit.name + ";\r\n");
    }
    files.ForceDirectories("C:\\GR32\\build\\bin");
    files.ForceDirectories("C:\\GR32\\build\\dcu");

    ASSERT_EQ(Compile(compiler, packages, "GR32_D7.dpk").exitCode, 0);
    const ToolRun design = Compile(compiler, packages, "GR32_DSGN_D7.dpk"); // needs GR32_D7.dcp from -LN
    ASSERT_EQ(design.exitCode, 0) << design.output;
    for (const char* file : {"bin\\GR32_D7.bpl", "dcu\\GR32_D7.dcp", "dcu\\GR32_Resamplers.dcu",
                             "bin\\GR32_DSGN_D7.bpl", "dcu\\GR32_Dsgn_Color.dcu"})
        EXPECT_TRUE(files.FileExists(std::string("C:\\GR32\\build\\") + file)) << file;
}

TEST_F(SampleCompileTest, APackageBuildsWithTheConfigurationBesideIt)
{
    const std::string root = "C:\\dev\\programs\\delphi5\\delphi5";
    files.AddFile(root + "\\Lib\\vcl50.dcp");
    files.AddFile(root + "\\lib\\dclusr50.dpk", SampleFile("Moobylicious-delphi5compiler__lib_dclusr50.dpk"));
    files.AddFile(root + "\\lib\\dclusr50.cfg", SampleFile("Moobylicious-delphi5compiler__lib_dclusr50.cfg"));
    files.AddFile(root + "\\Imports\\CrystalDataObject_TLB.pas", "unit CrystalDataObject_TLB;\r\n");
    files.ForceDirectories(root + "\\Projects\\Bpl");

    const ToolRun run = Compile(root + "\\Bin\\dcc32.exe", root + "\\lib", "dclusr50.dpk");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(files.FileExists(root + "\\Projects\\Bpl\\dclusr50.bpl"));
    EXPECT_TRUE(files.FileExists(root + "\\Projects\\Bpl\\dclusr50.dcp"));
    EXPECT_TRUE(files.FileExists(root + "\\Imports\\CrystalDataObject_TLB.dcu")); // no -N0: beside the unit
    EXPECT_THAT(run.error, IsEmpty());
}

} // namespace
} // namespace corvalis::standins
