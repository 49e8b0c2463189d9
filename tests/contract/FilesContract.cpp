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

TEST_P(FilesContract, FilesAndFoldersAreToldApart)
{
    ASSERT_TRUE(Files().CreateDirectory(At("Sources")));
    Write("Readme.1st");
    EXPECT_TRUE(Files().DirectoryExists(At("Sources")));
    EXPECT_FALSE(Files().FileExists(At("Sources")));
    EXPECT_TRUE(Files().FileExists(At("Readme.1st")));
    EXPECT_TRUE(Files().FileExists(At("README.1ST")));
    EXPECT_FALSE(Files().DirectoryExists(At("Readme.1st")));
    EXPECT_FALSE(Files().FileExists(At("Nothing")));
}

TEST_P(FilesContract, CreateDirectoryMakesOneLevelAndForceDirectoriesAll)
{
    EXPECT_FALSE(Files().CreateDirectory(At("a\\b")));
    EXPECT_EQ(Files().LastError(), kPathNotFound);
    EXPECT_TRUE(Files().ForceDirectories(At("a\\b\\c")));
    EXPECT_TRUE(Files().DirectoryExists(At("a\\b\\c")));
    EXPECT_TRUE(Files().ForceDirectories(At("a\\b\\c")));
    EXPECT_FALSE(Files().CreateDirectory(At("a")));
}

TEST_P(FilesContract, ContentRoundTripsByteForByte)
{
    std::string bytes("\xEF\xBB\xBF<a>\r\n\0\xFF</a>", 14);
    Write("EnvOptions.proj", bytes);
    EXPECT_EQ(Files().ReadFile(At("EnvOptions.proj")), bytes);
    Write("EnvOptions.proj", "");
    EXPECT_EQ(Files().ReadFile(At("EnvOptions.proj")), "");
    EXPECT_EQ(Files().ReadFile(At("missing")), std::nullopt);
    EXPECT_FALSE(Files().WriteFile(At("no\\such\\folder.txt"), "x"));
}

TEST_P(FilesContract, CopyOverwritesAndNeedsTheTargetFolder)
{
    Write("new.bpl", "new");
    Write("old.bpl", "old");
    EXPECT_TRUE(Files().CopyFile(At("new.bpl"), At("old.bpl")));
    EXPECT_EQ(Files().ReadFile(At("old.bpl")), "new");
    EXPECT_TRUE(Files().FileExists(At("new.bpl")));
    EXPECT_FALSE(Files().CopyFile(At("new.bpl"), At("missing\\x.bpl")));
    EXPECT_FALSE(Files().CopyFile(At("absent.bpl"), At("y.bpl")));
    EXPECT_EQ(Files().LastError(), kFileNotFound);
}

TEST_P(FilesContract, MoveReplacesAnExistingFile)
{
    Files().CreateDirectory(At("Temp"));
    Write("setup.exe", "installer");
    Write("Temp\\setup.exe", "stale");
    EXPECT_TRUE(Files().MoveFile(At("setup.exe"), At("Temp\\setup.exe")));
    EXPECT_FALSE(Files().FileExists(At("setup.exe")));
    EXPECT_EQ(Files().ReadFile(At("Temp\\setup.exe")), "installer");
}

TEST_P(FilesContract, DeleteRemovesFilesOnly)
{
    Write("dcc32.cfg");
    Files().CreateDirectory(At("Folder"));
    EXPECT_TRUE(Files().DeleteFile(At("dcc32.cfg")));
    EXPECT_FALSE(Files().FileExists(At("dcc32.cfg")));
    EXPECT_FALSE(Files().DeleteFile(At("dcc32.cfg")));
    EXPECT_EQ(Files().LastError(), kFileNotFound);
    EXPECT_FALSE(Files().DeleteFile(At("Folder")));
    EXPECT_TRUE(Files().DirectoryExists(At("Folder")));
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

TEST_P(FilesContract, DeleteTreeRemovesEverythingBelow)
{
    Files().ForceDirectories(At("Corvalis\\Uninstall\\Deeper"));
    Write("Corvalis\\Uninstall\\version");
    Write("Corvalis\\setup.log");
    EXPECT_TRUE(Files().DeleteTree(At("Corvalis")));
    EXPECT_FALSE(Files().DirectoryExists(At("Corvalis")));
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

TEST_P(FilesContract, SystemAndTemporaryFoldersExist)
{
    EXPECT_TRUE(Files().DirectoryExists(Files().SystemDirectory()));
    const std::string temp = Files().TempDirectory();
    EXPECT_TRUE(Files().DirectoryExists(temp));
    EXPECT_NE(temp.back(), '\\');
}

TEST_P(FilesContract, ShortPathNamesTheSameFile)
{
    Files().CreateDirectory(At("RAD Studio"));
    Write("RAD Studio\\rsvars.bat");
    const std::string shortPath = Files().ShortPath(At("RAD Studio"));
    ASSERT_FALSE(shortPath.empty());
    EXPECT_TRUE(Files().FileExists(shortPath + "\\rsvars.bat"));
    EXPECT_EQ(Files().ShortPath(At("absent")), "");
}

TEST_P(FilesContract, AFileWithoutVersionResourceHasNoVersion)
{
    Write("plain.bpl");
    EXPECT_EQ(Files().FileVersion(At("plain.bpl")), std::nullopt);
    EXPECT_EQ(Files().FileVersion(At("absent.bpl")), std::nullopt);
}

TEST_P(FilesContract, AVersionResourceGivesItsStringAndItsFixedNumbers)
{
    const auto version = Files().FileVersion(Env().CoreIdeModule());
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->fileVersion, "11.0.2709.7128");
    EXPECT_EQ(version->fixed, (std::array<uint16_t, 4>{11, 0, 2709, 7128}));
}

} // namespace

CORVALIS_CONTRACT_SUITE(FilesContract);

} // namespace corvalis::testing
