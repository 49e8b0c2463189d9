#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ide/Utils.h"
#include "platform/memory/MemoryFiles.h"

namespace corvalis {
namespace {

using ::testing::ElementsAre;

TEST(Utils, TrimRemovesBlanksAndControlCharacters)
{
    EXPECT_EQ(Trim(" \t2.0.1.0 Standard\r\n"), "2.0.1.0 Standard");
    EXPECT_EQ(Trim(" \r\n "), "");
    EXPECT_EQ(Trim("x"), "x");
}

TEST(Utils, NamesCompareWithoutRegardToAsciiCase)
{
    EXPECT_TRUE(SameText("Known Packages", "KNOWN packages"));
    EXPECT_FALSE(SameText("dclado", "dclado70"));
    EXPECT_TRUE(StartsText("TURBO", "Turbo Delphi"));
    EXPECT_TRUE(EndsText("with sources", "Standard Edition With Sources"));
    EXPECT_FALSE(StartsText("long prefix", "short"));
}

struct PathCase {
    std::string path;
    std::string fileName;
    std::string dir;
    std::string ext;
    std::string asBpl;
};

TEST(Utils, PathPartsFollowTheWindowsRules)
{
    const PathCase cases[] = {
        {"C:\\Corvalis\\Delphi7\\CorvalisD7.dpk", "CorvalisD7.dpk", "C:\\Corvalis\\Delphi7", ".dpk",
         "C:\\Corvalis\\Delphi7\\CorvalisD7.bpl"},
        {"C:\\setup.exe", "setup.exe", "C:\\", ".exe", "C:\\setup.bpl"},
        {"version", "version", "", "", "version.bpl"},
        {"C:\\Dir.d\\file", "file", "C:\\Dir.d", "", "C:\\Dir.d\\file.bpl"},
        {"$(DELPHI)\\Bin\\dclado70.bpl", "dclado70.bpl", "$(DELPHI)\\Bin", ".bpl", "$(DELPHI)\\Bin\\dclado70.bpl"},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(ExtractFileName(c.path), c.fileName) << c.path;
        EXPECT_EQ(ExtractFileDir(c.path), c.dir) << c.path;
        EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
        EXPECT_EQ(ChangeFileExt(c.path, ".bpl"), c.asBpl) << c.path;
    }
}

TEST(Utils, TrailingDelimitersAreAddedAndRemovedOnce)
{
    EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\A"), "C:\\A\\");
    EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\A\\"), "C:\\A\\");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\A\\"), "C:\\A");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\"), "C:");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\A\\\\"), "C:\\A\\");
    EXPECT_EQ(PathJoin("C:\\Program Files", "Halvorn\\Corvalis"), "C:\\Program Files\\Halvorn\\Corvalis");
    EXPECT_EQ(PathJoin("C:\\", "x"), "C:\\x");
}

TEST(Utils, MasksMatchLikeWindowsWildcards)
{
    EXPECT_TRUE(MatchesMask("CorvalisD7.hpp", "*.hpp"));
    EXPECT_TRUE(MatchesMask("X.HPP", "*.hpp"));
    EXPECT_FALSE(MatchesMask("X.hppx", "*.hpp"));
    EXPECT_TRUE(MatchesMask("README", "*.*"));
    EXPECT_TRUE(MatchesMask("coreide100.bpl", "coreide???.bpl"));
    EXPECT_FALSE(MatchesMask("coreide90.bpl", "coreide???.bpl"));
    EXPECT_TRUE(MatchesMask("abcabd", "*abd"));
}

class FindFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        files.AddFile("C:\\Out\\a.dcu", "1234");
        files.AddFile("C:\\Out\\B.OBJ", "12");
        files.AddFile("C:\\Out\\keep.bpl");
        files.AddFile("C:\\Out\\Sub\\c.dcu");
        files.AddFile("C:\\Out\\Sub\\Deeper\\d.obj");
        files.AddFile("C:\\Out\\z.dcu");
    }
    std::vector<std::string> Paths(const std::vector<FoundFile>& found)
    {
        std::vector<std::string> paths;
        for (const FoundFile& f : found)
            paths.push_back(f.path);
        return paths;
    }
    MemoryFiles files;
};

TEST_F(FindFilesTest, RecursiveSearchIsDepthFirstInEnumerationOrderWithExtensionsIgnoringCase)
{
    const std::vector<std::string> extensions{".obj", ".dcu"};
    std::vector<FoundFile> found;
    FindFiles(files, "C:\\Out", "*.*", true, &extensions, found);
    EXPECT_THAT(Paths(found), ElementsAre("C:\\Out\\a.dcu", "C:\\Out\\B.OBJ", "C:\\Out\\Sub\\c.dcu",
                                          "C:\\Out\\Sub\\Deeper\\d.obj", "C:\\Out\\z.dcu"));
    EXPECT_EQ(found[0].size, 4u);
    EXPECT_EQ(found[1].size, 2u);
}

TEST_F(FindFilesTest, FlatSearchAppendsAndHonoursTheMask)
{
    std::vector<FoundFile> found{{"earlier", 0}};
    FindFiles(files, "C:\\Out", "*.dcu", false, nullptr, found);
    EXPECT_THAT(Paths(found), ElementsAre("earlier", "C:\\Out\\a.dcu", "C:\\Out\\z.dcu"));
}

TEST_F(FindFilesTest, AnEmptyFolderMeansTheCurrentOne)
{
    files.SetCurrentDirectory("C:\\Out\\Sub");
    std::vector<FoundFile> found;
    FindFiles(files, "", "*.*", false, nullptr, found);
    EXPECT_THAT(Paths(found), ElementsAre("C:\\Out\\Sub\\c.dcu"));
}

} // namespace
} // namespace corvalis
