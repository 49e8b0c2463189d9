#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/Compile.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "native/InstallerMachine.h"

namespace corvalis {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using testing::Ide;
using testing::IdeFixture;
using ::testing::IsEmpty;
using ::testing::Not;

// The product's folders in the path lists of a RAD Studio 2009 rooted at C:\RAD.
class EnginePathsTest : public ::testing::Test {
protected:
    EnginePathsTest()
    {
        installer.Install(IdeFixture(Ide::Rad2009, "C:\\Tools"));
        data = &installer.Start();
        compiler = std::make_unique<TCompiler>(installer.machine.platform, *data);
        options = &(*data->TargetOptions)[0];
        target().RootDir = "C:\\RAD";
        compiler->Log().OnLog = [this](TLogBase&, TLogLevel, const std::u16string& text, DateTime) {
            log.push_back(installer.machine.locale.WideToAnsi(text));
        };
    }
    TCompileTarget& target() { return options->Target; }

    testing::InstallerMachine installer;
    TInstallData* data = nullptr;
    std::unique_ptr<TCompiler> compiler;
    TTargetOptions* options = nullptr;
    std::vector<std::string> log;
};

TEST_F(EnginePathsTest, AFolderHeldWithADelimiterIsReplacedInPlaceWithoutIt)
{
    target().SearchPaths = {"$(BDS)\\lib", "D:\\Corvalis\\Delphi2009\\", "$(BDS)\\Imports"};
    compiler->AddPath(target(), target().SearchPaths, "D:\\Corvalis\\Delphi2009", "Search paths");
    EXPECT_THAT(target().SearchPaths, ElementsAre("$(BDS)\\lib", "D:\\Corvalis\\Delphi2009", "$(BDS)\\Imports"));
    EXPECT_THAT(log, ElementsAre("Adding path to Search paths: D:\\Corvalis\\Delphi2009",
                                 "  searching path in Search paths: D:\\Corvalis\\Delphi2009",
                                 "    not found in Search paths: D:\\Corvalis\\Delphi2009",
                                 "  searching path in Search paths: D:\\Corvalis\\Delphi2009\\",
                                 "    found in Search paths: D:\\Corvalis\\Delphi2009\\",
                                 "Already in Search paths: D:\\Corvalis\\Delphi2009\\",
                                 "Replacing in Search paths: \"D:\\Corvalis\\Delphi2009\\\" by "
                                 "\"D:\\Corvalis\\Delphi2009\""));
}

TEST_F(EnginePathsTest, ANewFolderIsAppendedAndAMacroFormFound)
{
    target().SearchPaths = {"$(BDS)\\Corvalis\\Delphi2009\\", "x"};
    compiler->AddPath(target(), target().SearchPaths, "C:\\RAD\\Corvalis\\Delphi2009", "Search paths");
    EXPECT_THAT(target().SearchPaths, ElementsAre("C:\\RAD\\Corvalis\\Delphi2009", "x"));
    compiler->AddPath(target(), target().SearchPaths, "D:\\Elsewhere", "Search paths");
    EXPECT_EQ(target().SearchPaths.back(), "D:\\Elsewhere");
    EXPECT_EQ(log.back(), "Adding to Search paths: D:\\Elsewhere");
}

TEST_F(EnginePathsTest, AddingReplacesTheFirstOfTwinsAndRemovingTakesBothIgnoringCase)
{
    target().SearchPaths = {"d:\\corvalis\\delphi2009", "$(BDS)\\lib", "D:\\CORVALIS\\Delphi2009"};
    compiler->AddPath(target(), target().SearchPaths, "D:\\Corvalis\\Delphi2009", "Search paths");
    EXPECT_THAT(target().SearchPaths,
                ElementsAre("D:\\Corvalis\\Delphi2009", "$(BDS)\\lib", "D:\\CORVALIS\\Delphi2009"));
    compiler->RemovePath(target(), target().SearchPaths, "D:\\Corvalis\\Delphi2009", "Search paths");
    EXPECT_THAT(target().SearchPaths, ElementsAre("$(BDS)\\lib"));
}

TEST_F(EnginePathsTest, AProductBelowTheIdesRootIsEnteredWithItsMacroAndRemovedInEveryForm)
{
    data->InstallDir = "C:\\RAD\\Corvalis";
    target().SearchPaths = {"$(BDS)\\lib", "C:\\RAD\\Corvalis\\Delphi2009\\", "$(BDS)\\Corvalis\\Delphi2009\\"};
    compiler->AddSearchPaths(*options);
    // The entry is already in macro form: its variants find the macro form with a delimiter.
    EXPECT_THAT(target().SearchPaths,
                ElementsAre("$(BDS)\\lib", "C:\\RAD\\Corvalis\\Delphi2009\\", "$(BDS)\\Corvalis\\Delphi2009"));
    EXPECT_THAT(target().CppSearchPaths, Contains("$(BDS)\\Corvalis\\Delphi2009"));
    compiler->RemoveSearchPath(*options);
    EXPECT_THAT(target().SearchPaths, ElementsAre("$(BDS)\\lib"));
    EXPECT_THAT(target().CppSearchPaths, Not(Contains("$(BDS)\\Corvalis\\Delphi2009")));
    EXPECT_THAT(target().CppSearchPaths, ElementsAre("$(BDS)\\lib", "$(BDS)\\lib\\obj"));
}

TEST_F(EnginePathsTest, AProductElsewhereIsEnteredWithItsFullPathAndTheSourcesGoToTheBrowsingPath)
{
    data->InstallDir = "D:\\Corvalis";
    compiler->AddBrowsingPath(*options);
    compiler->AddSearchPaths(*options);
    EXPECT_EQ(target().BrowsingPaths.back(), "D:\\Corvalis\\Sources");
    EXPECT_EQ(target().SearchPaths.back(), "D:\\Corvalis\\Delphi2009");
    compiler->RemoveBrowsingPath(*options);
    EXPECT_THAT(target().BrowsingPaths, Not(Contains("D:\\Corvalis\\Sources")));
}

TEST_F(EnginePathsTest, RemovalTriesEachFormAndLogsWhatItTakes)
{
    data->InstallDir = "C:\\RAD\\Corvalis";
    target().SearchPaths = {"c:\\rad\\corvalis\\delphi2009\\"};
    log.clear();
    compiler->RemovePath(target(), target().SearchPaths, options->OutputDir(), "Search paths");
    EXPECT_THAT(target().SearchPaths, IsEmpty());
    EXPECT_THAT(log, ElementsAre("Removing path from Search paths: C:\\RAD\\Corvalis\\Delphi2009",
                                 "  searching path in Search paths: C:\\RAD\\Corvalis\\Delphi2009",
                                 "  searching path in Search paths: C:\\RAD\\Corvalis\\Delphi2009\\",
                                 "    found. removed from Search paths: C:\\RAD\\Corvalis\\Delphi2009\\",
                                 "  searching path in Search paths: $(BDS)\\Corvalis\\Delphi2009\\",
                                 "  searching path in Search paths: $(BDS)\\Corvalis\\Delphi2009\\",
                                 "  searching path in Search paths: $(BDS)\\Corvalis\\Delphi2009"));
}

TEST_F(EnginePathsTest, AnIdeWithoutTheCppPersonalityKeepsItsCppListOutOfIt)
{
    target().Personalities = {"Delphi.Win32"};
    compiler->AddSearchPaths(*options);
    EXPECT_THAT(target().CppSearchPaths, ElementsAre("$(BDS)\\lib", "$(BDS)\\lib\\obj"));
}

} // namespace
} // namespace corvalis
