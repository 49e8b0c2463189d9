#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "ide/Utils.h"
#include "platform/memory/MemoryFiles.h"
#include "product/InstallerPackage.h"
#include "product/PackageProjects.h"
#include "product/ProductTree.h"
#include "standins/Bpr2Mak.h"
#include "standins/CompilerConfig.h"
#include "standins/Dcc32.h"
#include "standins/Make.h"
#include "standins/StandInTesting.h"
#include "standins/Tar.h"
#include "standins/Unrar.h"

namespace corvalis::product {
namespace {

using standins::ToolRun;
using ::testing::HasSubstr;

const std::string kProduct = "C:\\Program Files\\Halvorn\\Corvalis";

class ProductTreeTest : public ::testing::Test {
protected:
    void Write(const ProductOptions& options) { WriteProductTree(files, kProduct, options); }
    bool Exists(const std::string& relative) const
    {
        return files.FileExists(PathJoin(kProduct, relative)) || files.DirectoryExists(PathJoin(kProduct, relative));
    }

    MemoryFiles files;
};

TEST_F(ProductTreeTest, EveryShortcutFindsItsTargetAndWorkingFolder)
{
    struct Shortcut {
        const char* target;
        const char* folder;
        bool connectivity;
    };
    const Shortcut shortcuts[] = {
        {"Demos\\DemoApp\\CRVDemo.dpr", "Demos\\DemoApp", false},
        {"Demos\\NonVisualDemo\\NonVisualDemo.dpr", "Demos\\NonVisualDemo", false},
        {"Demos\\Standard\\BDE\\BDEDemo.dpr", "Demos\\Standard\\BDE\\BDEDemo", false},
        {"Demos\\Standard\\ADO\\ADODemo.dpr", "Demos\\Standard\\ADO\\ADODemo", false},
        {"Demos\\LoadMetadataDemo\\LoadMetadataDemo.dpr", "Demos\\LoadMetadataDemo", false},
        {"Demos\\EventsDemo\\EventsDemo.dpr", "Demos\\EventsDemo", false},
        {"Demos\\ThirdParty", "Demos\\ThirdParty", true},
        {"Help\\CRV.HLP", "", false},
        {"Help\\UsersGuide.chm", "", false},
        {"Corvalis.url", "", false},
    };
    for (bool connectivity : {true, false}) {
        files.DeleteTree(kProduct);
        Write({true, connectivity});
        for (const Shortcut& shortcut : shortcuts) {
            const bool expected = connectivity || !shortcut.connectivity;
            EXPECT_EQ(Exists(shortcut.target), expected) << shortcut.target;
            EXPECT_EQ(*shortcut.folder == '\0' || files.DirectoryExists(PathJoin(kProduct, shortcut.folder)), expected)
                << shortcut.folder;
        }
    }
}

TEST_F(ProductTreeTest, TheRemovalListsNameEverythingTheDistributionHolds)
{
    const std::set<std::string> removedFolders = {"CBUILDER5",
                                                  "CBUILDER6",
                                                  "DELPHI5",
                                                  "DELPHI6",
                                                  "DELPHI7",
                                                  "DELPHI2005",
                                                  "DELPHI2006",
                                                  "DELPHI2007",
                                                  "DELPHI2009",
                                                  "DELPHI2010",
                                                  "DEMOAPP",
                                                  "DEMOS",
                                                  "HELP",
                                                  "PACKAGES",
                                                  "PACKAGES_TNT",
                                                  "PACKAGES_TMS",
                                                  "PACKAGES_DEVEXPRESS",
                                                  "LANGUAGES",
                                                  "SOURCES",
                                                  "INT"};
    const std::set<std::string> removedFiles = {"CORVALIS.VER", "CORVALIS.URL", "EULA.TXT", "HISTORY.TXT",
                                                "README.1ST"};
    for (bool withSources : {true, false}) {
        files.DeleteTree(kProduct);
        Write({withSources, true});
        std::set<std::string> folders;
        std::set<std::string> rootFiles;
        for (const DirEntry& entry : files.Enumerate(kProduct))
            (entry.directory ? folders : rootFiles).insert(UpperCase(entry.name));
        // The removal lists leave out the output folder of the C++Builder-only RAD Studio 2007.
        folders.erase("CBUILDER2007");
        EXPECT_TRUE(std::includes(removedFolders.begin(), removedFolders.end(), folders.begin(), folders.end()));
        EXPECT_EQ(rootFiles, removedFiles);
        for (const char* folder : {"DemoApp", "Demos", "Help", "Packages", "Packages_Tnt", "Packages_TMS",
                                   "Packages_DevExpress", "Languages", "Sources", "Int"})
            EXPECT_TRUE(files.DirectoryExists(PathJoin(kProduct, folder))) << folder;
    }
}

TEST_F(ProductTreeTest, PackageProjectsAreNamedByStemLetterAndVersionNumber)
{
    Write({true, true});
    for (const char* project :
         {"Packages\\Delphi5\\CorvalisD5.dpk", "Packages\\Delphi6\\CorvalisDsgnD6.dpk",
          "Packages\\Delphi7\\CorvalisADOD7.dpk", "Packages_Tnt\\Delphi2005\\CorvalisDsgnD9.dpk",
          "Packages_TMS\\Delphi2006\\CorvalisDsgnBDED10.dpk", "Packages_DevExpress\\Delphi2007\\CorvalisD11.dpk",
          "Packages\\Delphi2009\\CorvalisZeosD12.dpk", "Packages_TMS\\Delphi2010\\CorvalisDsgnODBCExpressD14.dpk",
          "Packages\\CBuilder5\\CorvalisC5.bpk", "Packages\\CBuilder5\\CorvalisC5.cpp",
          "Packages_Tnt\\CBuilder6\\CorvalisDsgnIBExC6.bpk", "Packages_DevExpress\\CBuilder2007\\CorvalisDsgnC11.bpk",
          "Packages_DevExpress\\CBuilder2007\\CorvalisDsgnC11.cpp"})
        EXPECT_TRUE(files.FileExists(PathJoin(kProduct, project))) << project;
}

TEST_F(ProductTreeTest, EveryIdeFolderOfEveryModeHoldsTheCoreAndTheConnectivityProjects)
{
    for (bool connectivity : {true, false}) {
        files.DeleteTree(kProduct);
        Write({true, connectivity});
        const size_t providers = connectivity ? 35 : 4;
        for (const IdeFolder& ide : kIdeFolders) {
            const std::string standard = kProduct + "\\Packages\\" + ide.name;
            const size_t perProject = ide.language == Language::Cpp ? 2 : 1;
            EXPECT_EQ(files.Enumerate(standard).size(), (2 + 2 * providers) * perProject) << standard;
            EXPECT_EQ(files.FileExists(standard + "\\" + ProjectFileName("CorvalisDsgnZeos", ide)), connectivity);
            EXPECT_TRUE(files.FileExists(standard + "\\" + ProjectFileName("CorvalisDsgnDbEx", ide)));
            // The other modes' folders hold the same projects: only the folder tells the mode.
            for (const char* mode : kModeFolders) {
                const std::string folder = kProduct + "\\" + mode + "\\" + ide.name;
                EXPECT_TRUE(standins::FolderEntries(files, folder) == standins::FolderEntries(files, standard))
                    << folder;
            }
        }
        EXPECT_EQ(files.DirectoryExists(kProduct + "\\Demos\\ThirdParty"), connectivity);
    }
}

TEST_F(ProductTreeTest, EachModeHasItsFormFilesWithOneInASubfolder)
{
    Write({false, false});
    for (const char* folder : {"VclForms", "TntForms", "DevExpressForms"})
        for (const char* file :
             {"CrvEditorForm.dfm", "CrvEditorForm.xfm", "CrvForms.res", "CrvReg.dcr", "Dialogs\\CrvAboutDialog.dfm"})
            EXPECT_TRUE(files.FileExists(kProduct + "\\Sources\\" + folder + "\\" + file)) << folder << file;
    EXPECT_EQ(files.ReadFile(kProduct + "\\Sources\\TntForms\\CrvForms.res"), "CrvForms.res of TntForms\r\n");
}

TEST_F(ProductTreeTest, UnitsComeAsSourcesOrPrecompiledIntoTheOutputFolders)
{
    Write({true, true});
    EXPECT_TRUE(Exists("Sources\\CrvCore.pas"));
    EXPECT_TRUE(Exists("Sources\\CrvODBCExpressReg.pas"));
    EXPECT_FALSE(Exists("Delphi7"));
    EXPECT_TRUE(files.DirectoryExists(kProduct + "\\CBuilder6\\obj"));
    EXPECT_TRUE(files.Enumerate(kProduct + "\\CBuilder6\\obj").empty());

    files.DeleteTree(kProduct);
    Write({false, true, "2.0.1.0 Standard Edition"});
    EXPECT_FALSE(Exists("Sources\\CrvCore.pas"));
    for (const char* unit : {"Delphi5\\CrvCore.dcu", "Delphi7\\CrvZeosProvider.dcu", "Delphi2006\\CrvCore.hpp",
                             "Delphi2010\\CrvReg.obj", "CBuilder5\\obj\\CrvCore.obj", "CBuilder2007\\CrvEditors.hpp"})
        EXPECT_TRUE(files.FileExists(PathJoin(kProduct, unit))) << unit;
    EXPECT_FALSE(Exists("Delphi7\\CrvCore.hpp"));
    EXPECT_EQ(files.ReadFile(kProduct + "\\Corvalis.ver"), "2.0.1.0 Standard Edition\r\n");
}

// Builds the packages with the stand-ins the way the installer does, each IDE with its
// own fixture root holding the IDE's packages.
class ProductBuildTest : public ProductTreeTest {
protected:
    ToolRun Build(const IdeFolder& ide, const std::string& modeFolder, const PackageProject& package)
    {
        const std::string root = std::string("C:\\IDE\\") + ide.name;
        for (const std::string& library : IdeLibraryFiles(ide))
            if (!files.FileExists(root + "\\Lib\\" + library))
                files.AddFile(root + "\\Lib\\" + library);
        const std::string output = PathJoin(kProduct, ide.name);
        files.ForceDirectories(output);
        const std::string folder = kProduct + "\\" + modeFolder + "\\" + ide.name;
        const std::string project = ProjectFileName(package.stem, ide);
        const standins::Environment env = [](const std::string&) { return std::nullopt; };
        if (ide.language == Language::Delphi) {
            const std::string bpl = root + "\\Projects\\Bpl";
            files.WriteFile(
                folder + "\\dcc32.cfg",
                standins::CompilerConfig{output, root + "\\Lib", bpl + ";" + bpl, "", ide.versionNumber >= 10}.Text());
            const std::string compiler = root + "\\Bin\\dcc32.exe";
            return standins::RunDcc32(files, "\"" + compiler + "\" \"" + project + "\"", folder, compiler, env);
        }
        const std::string converter = root + "\\Bin\\bpr2mak.exe";
        const ToolRun converted = standins::RunBpr2Mak(
            files, "\"" + converter + "\" \"" + folder + "\\" + project + "\"", folder, converter, env);
        if (converted.exitCode != 0)
            return converted;
        const std::string make = root + "\\Bin\\make.exe";
        return standins::RunMake(
            files, "\"" + make + "\" -f\"" + folder + "\\" + ChangeFileExt(project, ".mak") + "\" ", folder, make, env);
    }

    void BuildEverything()
    {
        for (const IdeFolder& ide : kIdeFolders) {
            for (const PackageProject& package : PackageProjects(ide, true)) {
                const ToolRun run = Build(ide, "Packages", package);
                ASSERT_EQ(run.exitCode, 0) << ide.name << " " << package.stem << ":\n" << run.output << run.error;
                const std::string bpl = kProduct + "\\" + ide.name + "\\" + ProjectName(package.stem, ide) + ".bpl";
                EXPECT_TRUE(files.FileExists(bpl)) << bpl;
            }
        }
    }
};

TEST_F(ProductBuildTest, EveryPackageBuildsInItsOrderForEveryIde)
{
    Write({true, true});
    BuildEverything();
    EXPECT_TRUE(files.FileExists(kProduct + "\\Delphi2007\\CrvCore.hpp")); // -JL
    EXPECT_FALSE(files.FileExists(kProduct + "\\Delphi7\\CrvCore.hpp"));
}

TEST_F(ProductBuildTest, WithoutSourcesEveryPackageBuildsFromThePrecompiledUnits)
{
    Write({false, true});
    BuildEverything();
}

TEST_F(ProductBuildTest, ConnectivityPackagesNeedTheCorePackagesBuiltFirst)
{
    Write({true, true});
    const auto package = [](const IdeFolder& ide, const std::string& stem) {
        for (const PackageProject& p : PackageProjects(ide, true))
            if (p.stem == stem)
                return p;
        throw std::out_of_range(stem);
    };
    for (const char* name : {"Delphi7", "CBuilder6"}) {
        const IdeFolder& ide = IdeFolderNamed(name);
        const std::string missing = ide.language == Language::Delphi ? ".dcp'" : ".bpi'";
        EXPECT_THAT(Build(ide, "Packages", package(ide, "CorvalisZeos")).output +
                        Build(ide, "Packages", package(ide, "CorvalisZeos")).error,
                    HasSubstr("'" + ProjectName("Corvalis", ide) + missing));
        ASSERT_EQ(Build(ide, "Packages", package(ide, "Corvalis")).exitCode, 0);
        ASSERT_EQ(Build(ide, "Packages", package(ide, "CorvalisZeos")).exitCode, 0);
        const ToolRun design = Build(ide, "Packages", package(ide, "CorvalisDsgnZeos"));
        EXPECT_EQ(design.exitCode, 1);
        EXPECT_THAT(design.output + design.error, HasSubstr("'" + ProjectName("CorvalisDsgn", ide) + missing));
    }
}

TEST(InstallerPackage, ThePackageHoldsItsFilesAndAnArchiveOfTheProduct)
{
    MemoryFiles files;
    files.AddFile("C:\\Build\\unrar.exe", "unrar");
    files.AddFile("C:\\Build\\setup.exe", "setup");
    const std::string folder = "C:\\Packages\\Corvalis 2.0";
    WriteInstallerPackage(
        files, folder,
        {"2.0.0.1 Standard Edition With Sources", true, false, "C:\\Build\\unrar.exe", "C:\\Build\\setup.exe"});
    EXPECT_EQ(files.ReadFile(folder + "\\version"), "2.0.0.1 Standard Edition With Sources");
    EXPECT_EQ(files.ReadFile(folder + "\\withsrcs"), "");
    EXPECT_FALSE(files.FileExists(folder + "\\metapvds"));
    EXPECT_EQ(files.ReadFile(folder + "\\unrar.exe"), "unrar");
    EXPECT_EQ(files.ReadFile(folder + "\\setup.exe"), "setup");

    const std::string destination = "C:\\Program Files\\Halvorn\\Corvalis";
    const ToolRun run =
        standins::RunUnrar(files, "unrar.exe x -c- -cfg- -dh -idp -o+ -r -y  data.arc *.* \"" + destination + "\\\"",
                           folder, folder + "\\unrar.exe", [](const std::string&) { return std::nullopt; });
    ASSERT_EQ(run.exitCode, 0) << run.error;
    WriteProductTree(files, "C:\\Expected", {true, false, "2.0.0.1 Standard Edition With Sources"});
    EXPECT_TRUE(standins::FolderEntries(files, destination) == standins::FolderEntries(files, "C:\\Expected"));

    WriteInstallerPackage(files, folder, {"2.0.0.2 Standard Edition", false, true});
    EXPECT_FALSE(files.FileExists(folder + "\\withsrcs"));
    EXPECT_TRUE(files.FileExists(folder + "\\metapvds"));
    EXPECT_FALSE(files.FileExists(folder + "\\unrar.exe"));
    EXPECT_FALSE(files.FileExists(folder + "\\setup.exe"));
}

} // namespace
} // namespace corvalis::product
