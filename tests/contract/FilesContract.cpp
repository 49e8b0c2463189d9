#include <algorithm>

#include "contract/ServiceEnvironment.h"

namespace corvalis::testing {
namespace {

using ::testing::UnorderedElementsAre;

constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;

class FilesContract : public ContractTest {
protected:
    void SetUp() override
    {
        ContractTest::SetUp();
        root_ = Env().ScratchFolder();
    }
    IFileSystem& Files() { return Services().files; }
    std::string At(const std::string& relative) const { return root_ + "\\" + relative; }
    void Write(const std::string& relative, const std::string& content = "data")
    {
        ASSERT_TRUE(Files().WriteFile(At(relative), content)) << relative;
    }
    std::vector<std::string> Names(const std::string& relative)
    {
        std::vector<std::string> names;
        for (const DirEntry& entry : Files().Enumerate(At(relative)))
            names.push_back(entry.name + (entry.directory ? "\\" : ""));
        return names;
    }

    std::string root_;
};

TEST_P(FilesContract, FoldersAndFilesAreMadeToldApartAndDeleted)
{
    EXPECT_FALSE(Files().CreateDirectory(At("a\\b")));
    EXPECT_EQ(Files().LastError(), kPathNotFound);
    EXPECT_TRUE(Files().ForceDirectories(At("a\\b\\c")));
    EXPECT_TRUE(Files().ForceDirectories(At("a\\b\\c")));
    EXPECT_FALSE(Files().CreateDirectory(At("a")));
    Write("Readme.1st");
    EXPECT_TRUE(Files().DirectoryExists(At("a\\b\\c")));
    EXPECT_FALSE(Files().FileExists(At("a")));
    EXPECT_TRUE(Files().FileExists(At("README.1ST")));
    EXPECT_FALSE(Files().DirectoryExists(At("Readme.1st")));

    EXPECT_FALSE(Files().DeleteFile(At("a")));
    EXPECT_TRUE(Files().DeleteFile(At("Readme.1st")));
    EXPECT_FALSE(Files().FileExists(At("Readme.1st")));
    EXPECT_FALSE(Files().DeleteFile(At("Readme.1st")));
    EXPECT_EQ(Files().LastError(), kFileNotFound);
    Write("a\\b\\version");
    EXPECT_TRUE(Files().DeleteTree(At("a")));
    EXPECT_FALSE(Files().DirectoryExists(At("a")));
}

TEST_P(FilesContract, ContentSurvivesWritingCopyingAndMovingByteForByte)
{
    const std::string bytes("\xEF\xBB\xBF<a>\r\n\0\xFF</a>", 14);
    Write("new.bpl", bytes);
    Write("old.bpl", "old");
    Write("empty", "");
    EXPECT_EQ(Files().ReadFile(At("empty")), "");
    EXPECT_EQ(Files().ReadFile(At("missing")), std::nullopt);
    EXPECT_FALSE(Files().WriteFile(At("no\\such\\folder.txt"), "x"));
    Write("setup.log", "old");
    auto log = Files().CreateForAppend(At("setup.log"));
    ASSERT_TRUE(log);
    EXPECT_TRUE(log->Append("[1]\r\n") && log->Append(bytes));
    log.reset();
    EXPECT_EQ(Files().ReadFile(At("setup.log")), "[1]\r\n" + bytes);
    EXPECT_EQ(Files().CreateForAppend(At("no\\such\\setup.log")), nullptr);

    EXPECT_TRUE(Files().CopyFile(At("new.bpl"), At("old.bpl")));
    EXPECT_EQ(Files().ReadFile(At("old.bpl")), bytes);
    EXPECT_FALSE(Files().CopyFile(At("new.bpl"), At("missing\\x.bpl")));
    EXPECT_FALSE(Files().CopyFile(At("absent.bpl"), At("y.bpl")));
    EXPECT_EQ(Files().LastError(), kFileNotFound);

    Write("setup.exe", "installer");
    EXPECT_TRUE(Files().MoveFile(At("setup.exe"), At("new.bpl")));
    EXPECT_FALSE(Files().FileExists(At("setup.exe")));
    EXPECT_EQ(Files().ReadFile(At("new.bpl")), "installer");
}

// Names keep characters that no 8-bit code page holds together ("Łukasz", "中"); a folder
// moves to a name not taken, as a whole.
TEST_P(FilesContract, NamesKeepEveryCharacterAndFoldersMoveToNewNames)
{
    const std::string name = "\xC5\x81ukasz \xE4\xB8\xAD";
    ASSERT_TRUE(Files().ForceDirectories(At(name + "\\Bpl")));
    Write(name + "\\Bpl\\\xC5\x81.bpl", "x");
    EXPECT_THAT(Names(""), UnorderedElementsAre(name + "\\"));
    EXPECT_THAT(Names(name + "\\Bpl"), UnorderedElementsAre("\xC5\x81.bpl"));
    EXPECT_TRUE(Files().MoveFile(At(name), At("moved")));
    EXPECT_EQ(Files().ReadFile(At("moved\\Bpl\\\xC5\x81.bpl")), "x");
    Files().CreateDirectory(At("taken"));
    EXPECT_FALSE(Files().MoveFile(At("moved"), At("taken")));
    EXPECT_TRUE(Files().DirectoryExists(At("moved\\Bpl")));
}

TEST_P(FilesContract, RecycleTakesFilesAndWholeFolders)
{
    Files().ForceDirectories(At("Demos\\DemoApp"));
    Write("Demos\\DemoApp\\CRVDemo.dpr");
    Write("History.txt");
    EXPECT_TRUE(Files().Recycle(At("History.txt")));
    EXPECT_TRUE(Files().Recycle(At("Demos")));
    EXPECT_FALSE(Files().FileExists(At("History.txt")));
    EXPECT_FALSE(Files().DirectoryExists(At("Demos")));
    EXPECT_FALSE(Files().Recycle(At("Demos")));
}

TEST_P(FilesContract, EnumerationListsEntriesWithoutDotsWithKindAndSize)
{
    Files().CreateDirectory(At("Sub"));
    Write("a.hpp", "12345");
    Write("B.dcu", "");
    EXPECT_THAT(Names(""), UnorderedElementsAre("Sub\\", "a.hpp", "B.dcu"));
    const auto entries = Files().Enumerate(root_);
    const auto hpp = std::find_if(entries.begin(), entries.end(), [](const DirEntry& e) { return e.name == "a.hpp"; });
    ASSERT_NE(hpp, entries.end());
    EXPECT_EQ(hpp->size, 5u);
    EXPECT_TRUE(Files().Enumerate(At("missing")).empty());
}

TEST_P(FilesContract, CurrentDirectoryResolvesRelativePaths)
{
    Files().CreateDirectory(At("Package"));
    const std::string before = Files().CurrentDirectory();
    ASSERT_TRUE(Files().SetCurrentDirectory(At("Package")));
    EXPECT_TRUE(Files().WriteFile("version", "2.0.1.0"));
    EXPECT_TRUE(Files().FileExists(At("Package\\version")));
    EXPECT_TRUE(Services().locale.SameText(Files().FullPath("version"), At("Package\\version")));
    EXPECT_TRUE(Services().locale.SameText(Files().FullPath("..\\Package\\.\\version"), At("Package\\version")));
    Files().SetCurrentDirectory(before);
}

TEST_P(FilesContract, SystemTemporaryAndShortPathsNameExistingFolders)
{
    EXPECT_TRUE(Files().DirectoryExists(Files().SystemDirectory()));
    const std::string temp = Files().TempDirectory();
    EXPECT_TRUE(Files().DirectoryExists(temp));
    EXPECT_NE(temp.back(), '\\');

    Files().CreateDirectory(At("RAD Studio"));
    Write("RAD Studio\\rsvars.bat");
    const std::string shortPath = Files().ShortPath(At("RAD Studio"));
    ASSERT_FALSE(shortPath.empty());
    EXPECT_TRUE(Files().FileExists(shortPath + "\\rsvars.bat"));
    EXPECT_EQ(Files().ShortPath(At("absent")), "");
}

TEST_P(FilesContract, OnlyAVersionResourceGivesAVersion)
{
    const auto version = Files().FileVersion(Env().CoreIdeModule());
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->fileVersion, "11.0.2709.7128");
    EXPECT_EQ(version->fixed, (std::array<uint16_t, 4>{11, 0, 2709, 7128}));
    Write("plain.bpl");
    EXPECT_EQ(Files().FileVersion(At("plain.bpl")), std::nullopt);
    EXPECT_EQ(Files().FileVersion(At("absent.bpl")), std::nullopt);
}

} // namespace

CORVALIS_CONTRACT_SUITE(FilesContract);

} // namespace corvalis::testing
