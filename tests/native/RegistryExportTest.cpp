#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/RegistryExport.h"
#include "platform/Exceptions.h"
#include "platform/memory/MemoryRegistry.h"

namespace corvalis {
namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

constexpr const char* kKey = "Software\\Borland\\Delphi\\7.0";

std::string Bytes(std::initializer_list<int> bytes)
{
    std::string data;
    for (int b : bytes)
        data += static_cast<char>(b);
    return data;
}

struct RoundTrip {
    const char* what;
    std::string name;
    RegistryValue value;
};

void PrintTo(const RoundTrip& c, std::ostream* out)
{
    *out << c.what;
}

class RegistryExportRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// Exported, written, read back and imported over a key that has changed meanwhile, the
// value and its neighbours come back exactly.
TEST_P(RegistryExportRoundTrip, ImportingTheFileRestoresTheKeyExactly)
{
    const RoundTrip& c = GetParam();
    MemoryRegistry registry;
    auto key = registry.OpenKey(RootKey::CurrentUser, std::string(kKey) + "\\Known Packages", KeyAccess::WriteCreate);
    key->WriteString("first", "1");
    key->WriteValue(c.name, c.value);
    key->WriteInteger("last", 7);
    registry.OpenKey(RootKey::CurrentUser, std::string(kKey) + "\\Empty", KeyAccess::WriteCreate);
    const TKeyExport saved = ExportKey(registry, RootKey::CurrentUser, kKey);
    const std::string file = FormatRegFile(saved);

    key->WriteValue(c.name, {kRegString, "changed\0"});
    key->DeleteValue("first");
    registry.OpenKey(RootKey::CurrentUser, std::string(kKey) + "\\Added", KeyAccess::WriteCreate)->WriteString("a", "");
    registry.DeleteKey(RootKey::CurrentUser, std::string(kKey) + "\\Empty");
    ImportKey(registry, ParseRegFile(file));

    const TKeyExport restored = ExportKey(registry, RootKey::CurrentUser, kKey);
    ASSERT_EQ(restored.Keys.size(), 3u);
    EXPECT_EQ(restored.Keys[1].Path, std::string(kKey) + "\\Empty");
    EXPECT_EQ(restored.Keys[2].Values, saved.Keys[2].Values) << file;
    EXPECT_EQ(FormatRegFile(restored), file);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfValue, RegistryExportRoundTrip,
    ::testing::Values(
        RoundTrip{"plain string", "$(DELPHI)\\Bin\\dclado70.bpl", {kRegString, std::string("ADO components\0", 15)}},
        RoundTrip{"quotes and backslashes", "C:\\\"quoted\\\"\\", {kRegString, std::string("a \"b\" \\\\c\\\0", 11)}},
        RoundTrip{"characters above 127",
                  "B\xFC"
                  "cher \xA9",
                  {kRegString, std::string("Stra\xDF"
                                           "e \xE9\0",
                                           9)}},
        RoundTrip{"empty string", "Empty", {kRegString, std::string("\0", 1)}},
        RoundTrip{"string without its zero", "Raw", {kRegString, "no zero"}},
        RoundTrip{"zero-length string", "Zero", {kRegString, ""}},
        RoundTrip{"string with a line break", "Lines", {kRegString, std::string("one\r\ntwo\0", 9)}},
        RoundTrip{"default value", "", {kRegString, std::string("default\0", 8)}},
        RoundTrip{"expandable string", "Path", {2, std::string("%BDS%\\lib\0", 10)}},
        RoundTrip{"multi-string", "List", {7, std::string("a\0b\0\0", 5)}},
        RoundTrip{"binary over several lines", "Bin", {kRegBinary, std::string(100, '\xA5')}},
        RoundTrip{"empty binary", "Nothing", {kRegBinary, ""}},
        RoundTrip{"dword", "Level", {kRegDWord, Bytes({0x78, 0x56, 0x34, 0x12})}},
        RoundTrip{"dword of the wrong size", "Odd", {kRegDWord, Bytes({1, 2})}},
        RoundTrip{"qword", "Big", {11, Bytes({1, 2, 3, 4, 5, 6, 7, 0xFF})}},
        RoundTrip{"type none", "None", {0, Bytes({0})}}));

TEST(RegistryExport, TheFileIsWhatRegistryEditorImports)
{
    MemoryRegistry registry;
    auto key = registry.OpenKey(RootKey::CurrentUser, "Software\\Borland\\Delphi\\7.0", KeyAccess::WriteCreate);
    key->WriteString("", "x");
    key->WriteString("Root \"Dir\"", "C:\\D7");
    key->WriteInteger("Level", 10);
    key->WriteValue("Bin", {kRegBinary, std::string(30, '\x01')});
    key->WriteValue("Exp", {2, std::string("%A%\0", 4)});
    registry.OpenKey(RootKey::CurrentUser, "Software\\Borland\\Delphi\\7.0\\Library", KeyAccess::WriteCreate)
        ->WriteString("Search Path", "$(DELPHI)\\Lib");
    EXPECT_EQ(FormatRegFile(ExportKey(registry, RootKey::CurrentUser, "\\Software\\Borland\\Delphi\\7.0\\")),
              "REGEDIT4\r\n"
              "\r\n"
              "[-HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\7.0]\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\7.0]\r\n"
              "@=\"x\"\r\n"
              "\"Root \\\"Dir\\\"\"=\"C:\\\\D7\"\r\n"
              "\"Level\"=dword:0000000a\r\n"
              "\"Bin\"=hex:01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,\\\r\n"
              "  01,01,01,01,01,01,01\r\n"
              "\"Exp\"=hex(2):25,41,25,00\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\7.0\\Library]\r\n"
              "\"Search Path\"=\"$(DELPHI)\\\\Lib\"\r\n"
              "\r\n");
}

TEST(RegistryExport, AMissingKeyIsSavedAsMissingAndImportingItDeletesTheKey)
{
    MemoryRegistry registry;
    const std::string file = FormatRegFile(ExportKey(registry, RootKey::CurrentUser, kKey));
    EXPECT_EQ(file, "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\7.0]\r\n\r\n");
    registry.OpenKey(RootKey::CurrentUser, std::string(kKey) + "\\Library", KeyAccess::WriteCreate);
    ImportKey(registry, ParseRegFile(file));
    EXPECT_FALSE(registry.KeyExists(RootKey::CurrentUser, kKey));
}

TEST(RegistryExport, AKeyThatCannotBeWrittenFailsTheImport)
{
    MemoryRegistry registry;
    registry.OpenKey(RootKey::LocalMachine, kKey, KeyAccess::WriteCreate)->WriteString("a", "b");
    const TKeyExport saved = ExportKey(registry, RootKey::LocalMachine, kKey);
    registry.SetReadOnly(RootKey::LocalMachine, true);
    EXPECT_THAT([&] { ImportKey(registry, saved); },
                ThrowsMessage<Exception>(HasSubstr("HKEY_LOCAL_MACHINE\\Software\\Borland\\Delphi\\7.0")));
}

struct BadFile {
    const char* what;
    const char* text;
    const char* message;
};

void PrintTo(const BadFile& c, std::ostream* out)
{
    *out << c.what;
}

class RegistryExportBadFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(RegistryExportBadFile, IsRefusedWithTheLineItCannotRead)
{
    EXPECT_THAT([&] { ParseRegFile(GetParam().text); }, ThrowsMessage<Exception>(HasSubstr(GetParam().message)));
}

constexpr const char* kStart =
    "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n";

INSTANTIATE_TEST_SUITE_P(
    Refusals, RegistryExportBadFile,
    ::testing::Values(BadFile{"another header", "Windows Registry Editor Version 5.00\r\n", "Line 1 "},
                      BadFile{"no key to replace", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n", "Line 3 "},
                      BadFile{"nothing but the header", "REGEDIT4\r\n", "not a registry export"},
                      BadFile{"a key outside the replaced one",
                              "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n[HKEY_CURRENT_USER\\Software\\AB]\r\n",
                              "Line 3 "},
                      BadFile{"a second key to replace",
                              "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n",
                              "Line 3 "},
                      BadFile{"a value before any key",
                              "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n\"a\"=\"b\"\r\n", "Line 3 "},
                      BadFile{"an unterminated string",
                              "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n[HKEY_CURRENT_USER\\"
                              "Software\\A]\r\n\"a\"=\"b\r\n",
                              "Line 4 "},
                      BadFile{"a bad hex byte",
                              "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n[HKEY_CURRENT_USER\\"
                              "Software\\A]\r\n\"a\"=hex:01,1g\r\n",
                              "Line 4 "},
                      BadFile{"a continuation at the end",
                              "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n[HKEY_CURRENT_USER\\"
                              "Software\\A]\r\n\"a\"=hex:01,\\\r\n",
                              "Line 4 "},
                      BadFile{"a value deletion",
                              "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n[HKEY_CURRENT_USER\\"
                              "Software\\A]\r\n\"a\"=-\r\n",
                              "Line 4 "}));

TEST(RegistryExport, ContinuedHexListsAndCommentsAreRead)
{
    const TKeyExport read = ParseRegFile(std::string(kStart) + "; a comment\r\n\"a\"=hex(7):61,00,\\\r\n   62,\\\r\n"
                                                               "  00,00\r\n@=dword:1\r\n");
    ASSERT_EQ(read.Keys.size(), 1u);
    EXPECT_EQ(read.Keys[0].Values[0].second, (RegistryValue{7, std::string("a\0b\0\0", 5)}));
    EXPECT_EQ(read.Keys[0].Values[1].first, "");
    EXPECT_EQ(read.Keys[0].Values[1].second, (RegistryValue{kRegDWord, Bytes({1, 0, 0, 0})}));
}

} // namespace
} // namespace corvalis
