#include <fstream>
#include <sstream>

#include "contract/ServiceEnvironment.h"
#include "fixtures/IdeFixture.h"
#include "ide/EnvOptions.h"
#include "platform/Exceptions.h"

namespace corvalis::testing {
namespace {

using ::testing::HasSubstr;

std::string Sample(const std::string& name)
{
    std::ifstream file(std::string(CORVALIS_TEST_DATA) + "/samples/" + name, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

// Wine's MSXML declares the default namespace again on the elements it creates in it, which
// Windows' MSXML and pugixml do not: the same document for every XML reader.
std::string WithoutRepeatedNamespace(std::string text)
{
    const std::string declaration = " xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\"";
    const size_t first = text.find(declaration);
    for (size_t at; first != std::string::npos && (at = text.find(declaration, first + 1)) != std::string::npos;)
        text.erase(at, declaration.size());
    return text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

const std::vector<std::pair<std::string, std::string>> kValues = {
    {"Win32LibraryPath", "$(BDS)\\lib;$(BDS)\\Imports"},
    {"Win32DLLOutputPath", "$(BDSCOMMONDIR)\\Bpl"},
    {"Win32BrowsingPath", "$(BDS)\\source\\Win32\\vcl"},
};

struct EncodingCase {
    TextEncoding encoding;
    bool byteOrderMark;
};

// EnvOptions.proj through the platform's XML library: the behaviour the IDE's file needs.
class EnvOptionsContract : public ContractTest {
protected:
    std::string Write(const std::string& bytes)
    {
        const std::string path = Env().ScratchFolder() + "\\EnvOptions.proj";
        Services().files.WriteFile(path, bytes);
        return path;
    }
    std::string Read(const std::string& path) { return Services().files.ReadFile(path).value_or("<missing>"); }
    std::string Document(EncodingCase c, const std::vector<std::pair<std::string, std::string>>& values)
    {
        return EnvOptionsDocument(Services().locale, c.encoding, c.byteOrderMark, values);
    }
};

TEST_P(EnvOptionsContract, EachEncodingSurvivesAChangeWithOnlyTheChangedTextsDifferent)
{
    const EncodingCase cases[] = {{TextEncoding::Utf8, true},
                                  {TextEncoding::Utf8, false},
                                  {TextEncoding::Utf16LE, true},
                                  {TextEncoding::Utf16BE, true},
                                  {TextEncoding::Ansi, false}};
    for (const EncodingCase c : cases) {
        SCOPED_TRACE(static_cast<int>(c.encoding) * 2 + c.byteOrderMark);
        const std::string path = Write(Document(c, kValues));
        TEnvOptions file(Services(), path);
        EXPECT_EQ(file.Encoding(), c.encoding);
        EXPECT_EQ(file.HasByteOrderMark(), c.byteOrderMark);
        EXPECT_EQ(file.Value("Win32LibraryPath"), "$(BDS)\\lib;$(BDS)\\Imports");
        EXPECT_EQ(file.Value("Win32DCPOutput"), std::nullopt);

        file.SetValue("Win32LibraryPath", "$(BDS)\\lib;C:\\Corvalis\\Delphi2007");
        file.SetValue("Win32BrowsingPath", "C:\\Program Files\\Halvorn\\Corvalis & Co\\Sources");
        file.Save();
        const auto changed = kValues;
        EXPECT_EQ(WithoutRepeatedNamespace(Read(path)),
                  Document(c, {{"Win32LibraryPath", "$(BDS)\\lib;C:\\Corvalis\\Delphi2007"},
                               changed[1],
                               {"Win32BrowsingPath", "C:\\Program Files\\Halvorn\\Corvalis &amp; Co\\Sources"}}));
        EXPECT_EQ(TEnvOptions(Services(), path).Value("Win32BrowsingPath"),
                  "C:\\Program Files\\Halvorn\\Corvalis & Co\\Sources");
    }
}

TEST_P(EnvOptionsContract, AMissingElementIsAddedToTheFirstGroupInTheDocumentsNamespace)
{
    const std::string generated = Document({TextEncoding::Utf8, true}, kValues);
    const std::string real = Sample("fgilde-CheckoutAndBuild__EnvOptions.proj"); // its first group is empty
    const std::string project = "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n"
                                "  <ProjectExtensions/>\n</Project>\n";
    const struct {
        std::string original, expected;
    } cases[] = {
        {generated,
         Replaced(generated, "  </PropertyGroup>", "  <Win32DebugDCUPath>x</Win32DebugDCUPath></PropertyGroup>")},
        {real,
         Replaced(real, "<PropertyGroup/>", "<PropertyGroup><Win32DebugDCUPath>x</Win32DebugDCUPath></PropertyGroup>")},
        {project, Replaced(project, "</Project>",
                           "<PropertyGroup><Win32DebugDCUPath>x</Win32DebugDCUPath></PropertyGroup></Project>")},
    };
    for (const auto& c : cases) {
        const std::string path = Write(c.original);
        TEnvOptions file(Services(), path);
        EXPECT_EQ(file.Value("Win32DebugDCUPath"), std::nullopt);
        file.SetValue("Win32DebugDCUPath", "x");
        file.Save();
        EXPECT_EQ(WithoutRepeatedNamespace(Read(path)), c.expected);
        EXPECT_EQ(TEnvOptions(Services(), path).Value("Win32DebugDCUPath"), "x");
    }
}

TEST_P(EnvOptionsContract, ARealFileLoadedAndSavedUnchangedKeepsItsBytes)
{
    const std::string original = Sample("fgilde-CheckoutAndBuild__EnvOptions_15.proj");
    const std::string path = Write(original);
    TEnvOptions file(Services(), path);
    EXPECT_THAT(file.Value("DelphiLibraryPath").value_or(""), HasSubstr("RS21\\Win64"));
    file.Save();
    EXPECT_EQ(Read(path), original);
}

// The text of an element after a marker (its group's opening tag) replaced.
std::string ReplacedAfter(std::string text, const std::string& marker, const std::string& element,
                          const std::string& value)
{
    const size_t group = text.find(marker);
    const size_t open = text.find("<" + element + ">", group);
    const size_t close = text.find("</" + element + ">", open);
    EXPECT_TRUE(group != std::string::npos && close != std::string::npos) << marker << " " << element;
    const size_t start = open + element.size() + 2;
    return text.replace(start, close - start, value);
}

// From XE2 on the first group is empty and the platforms' groups come in any order: each is
// found by its condition, and only the texts set differ afterwards.
TEST_P(EnvOptionsContract, APlatformsGroupIsFoundByItsConditionAndOnlyItsTextChanges)
{
    const std::string win32 = "'$(Platform)'=='Win32'", win64 = "'$(Platform)' == 'Win64'";
    const std::string xe = Sample("pa-0-docker-RADstudio__xe-delphi-net3.5-ltsc2019_DockerBuild_EnvOptions.proj");
    const struct {
        std::string original;
        bool conditions; // false: the first group serves Win32, and Win64 has none yet
        std::string win32Text, win64Text;
    } cases[] = {
        {Sample("fgilde-CheckoutAndBuild__EnvOptions.proj"), true, "RS-XE2\\Win32", "RS-XE2\\Win64"},
        {Sample("fgilde-CheckoutAndBuild__EnvOptions_15.proj"), true, "Library\\RS21;", "Library\\RS21\\Win64"},
        {xe, false, "$(BDSCOMMONDIR)\\Dcp;$(BDS)\\include", ""},
    };
    for (const auto& c : cases) {
        const std::string path = Write(c.original);
        TEnvOptions file(Services(), path);
        const char* first = c.conditions ? win32.c_str() : nullptr;
        const std::string own = file.Value("DelphiLibraryPath", first).value_or("<none>");
        EXPECT_THAT(own, HasSubstr(c.win32Text));
        EXPECT_THAT(file.Value("DelphiLibraryPath", win64.c_str()).value_or(""), HasSubstr(c.win64Text));

        file.SetValue("DelphiLibraryPath", own + ";C:\\Corvalis\\Win32", first);
        file.SetValue("DelphiLibraryPath", "C:\\Corvalis\\Win64", win64.c_str());
        file.Save();
        std::string expected = ReplacedAfter(c.original, c.conditions ? win32 : "<PropertyGroup>", "DelphiLibraryPath",
                                             own + ";C:\\Corvalis\\Win32");
        expected = c.conditions
                       ? ReplacedAfter(expected, "'$(Platform)'=='Win64'", "DelphiLibraryPath", "C:\\Corvalis\\Win64")
                       : Replaced(expected, "</Project>",
                                  "<PropertyGroup Condition=\"" + win64 +
                                      "\"><DelphiLibraryPath>C:\\Corvalis\\Win64</DelphiLibraryPath>"
                                      "</PropertyGroup></Project>");
        EXPECT_EQ(WithoutRepeatedNamespace(Read(path)), expected);
        EXPECT_EQ(TEnvOptions(Services(), path).Value("DelphiLibraryPath", win64.c_str()), "C:\\Corvalis\\Win64");
    }
}

TEST_P(EnvOptionsContract, UnreadableFilesFailWithTheirPath)
{
    const std::string folder = Env().ScratchFolder();
    EXPECT_THAT([&] { TEnvOptions(Services(), folder + "\\missing.proj"); },
                ::testing::ThrowsMessage<Exception>(HasSubstr(folder + "\\missing.proj")));
    const std::string broken = Write("<Project><PropertyGroup></Project>");
    EXPECT_THAT([&] { TEnvOptions(Services(), broken); },
                ::testing::ThrowsMessage<Exception>(HasSubstr("is not a valid XML document")));
}

TEST_P(EnvOptionsContract, AFailedSaveLeavesTheFileWhole)
{
    const std::string original = Document({TextEncoding::Utf8, true}, kValues);
    const std::string path = Write(original);
    TEnvOptions file(Services(), path);
    file.SetValue("Win32LibraryPath", "changed");
    // A folder where the new content would be written makes the write fail.
    ASSERT_TRUE(Services().files.CreateDirectory(path + ".new"));
    EXPECT_THAT([&] { file.Save(); }, ::testing::ThrowsMessage<Exception>(HasSubstr("Cannot write")));
    EXPECT_EQ(Read(path), original);
}

} // namespace

CORVALIS_CONTRACT_SUITE(EnvOptionsContract);

} // namespace corvalis::testing
