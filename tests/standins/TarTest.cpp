#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/memory/MemoryFiles.h"
#include "standins/Tar.h"

namespace corvalis::standins {

void PrintTo(const TarEntry& entry, std::ostream* os)
{
    *os << (entry.directory ? "folder " : "file ") << entry.name << " (" << entry.content.size() << " bytes)";
}

namespace {

using ::testing::ElementsAre;

// The header's checksum field made right again after a test changed the header.
void FixChecksum(std::string& archive)
{
    archive.replace(148, 8, 8, ' ');
    unsigned sum = 0;
    for (size_t i = 0; i < 512; ++i)
        sum += static_cast<unsigned char>(archive[i]);
    char field[8];
    std::snprintf(field, sizeof field, "%06o", sum);
    archive.replace(148, 7, std::string(field, 6) + '\0');
}

const std::vector<TarEntry> kEntries = {
    {"Demos", true, {}},
    {"Demos/DemoApp", true, {}},
    {"Demos/DemoApp/CRVDemo.dpr", false, "program CRVDemo;\r\nbegin\r\nend.\r\n"},
    {"Help/CRV.HLP", false, std::string("binary\0\xff\x01 data", 14)},
    {"empty.txt", false, ""},
    {"block.bin", false, std::string(512, 'b')},
    {"Packages_DevExpress/" + std::string(60, 'd') + "/" + std::string(70, 'n') + ".bpk", false, "long name"},
};

TEST(Tar, ARoundTripKeepsNamesFoldersAndBytes)
{
    const std::optional<std::vector<TarEntry>> read = ReadTar(WriteTar(kEntries));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, kEntries);
}

TEST(Tar, HeadersFollowTheUstarLayout)
{
    const std::string archive = WriteTar({{"Help/CRV.HLP", false, "12345"}, {"Demos", true, {}}});
    ASSERT_EQ(archive.size() % 512, 0u);
    EXPECT_EQ(archive.size(), 512u * 5); // header, data, header, two end blocks
    EXPECT_EQ(archive.substr(0, 13), std::string("Help/CRV.HLP\0", 13));
    EXPECT_EQ(archive.substr(124, 12), std::string("00000000005\0", 12));
    EXPECT_EQ(archive[156], '0');
    EXPECT_EQ(archive.substr(257, 8), std::string("ustar\0"
                                                  "00",
                                                  8));
    EXPECT_EQ(archive.substr(1024, 7), std::string("Demos/\0", 7));
    EXPECT_EQ(archive[1024 + 156], '5');
    EXPECT_EQ(archive.substr(512, 5), "12345");
    std::string header = archive.substr(0, 512);
    FixChecksum(header);
    EXPECT_EQ(header, archive.substr(0, 512)); // the checksum tar computes
}

TEST(Tar, ANameBeyondTheUstarFieldsIsRefused)
{
    EXPECT_THROW(WriteTar({{std::string(101, 'x'), false, ""}}), std::length_error);
    EXPECT_THROW(WriteTar({{std::string(160, 'p') + "/" + std::string(20, 'n'), false, ""}}), std::length_error);
}

TEST(Tar, CorruptOrCutArchivesAreRefused)
{
    const std::string good = WriteTar({{"a.txt", false, std::string(600, 'a')}});
    std::string badChecksum = good;
    badChecksum[0] = 'b';
    std::string badMagic = good;
    badMagic.replace(257, 5, "xxxxx");
    FixChecksum(badMagic);
    std::string link = good;
    link[156] = '2';
    FixChecksum(link);
    const std::string cases[] = {badChecksum,          badMagic, link, good.substr(0, 1024), good.substr(0, 1536),
                                 std::string(100, 'x')};
    for (const std::string& archive : cases)
        EXPECT_EQ(ReadTar(archive), std::nullopt);
    EXPECT_TRUE(ReadTar(good).has_value());
}

TEST(Tar, FolderEntriesHoldEachFolderBeforeItsContent)
{
    MemoryFiles files;
    files.AddFile("C:\\Product\\Help\\CRV.HLP", "help");
    files.AddFile("C:\\Product\\Corvalis.ver", "1.0");
    files.ForceDirectories("C:\\Product\\CBuilder6\\obj");
    EXPECT_THAT(FolderEntries(files, "C:\\Product"),
                ElementsAre(TarEntry{"CBuilder6", true, {}}, TarEntry{"CBuilder6/obj", true, {}},
                            TarEntry{"Corvalis.ver", false, "1.0"}, TarEntry{"Help", true, {}},
                            TarEntry{"Help/CRV.HLP", false, "help"}));
}

} // namespace
} // namespace corvalis::standins
