#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/RegistryExport.h"
#include "platform/Exceptions.h"
#include "platform/memory/MemoryRegistry.h"

namespace corvalis {
namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

constexpr const char* kKey = "Software\\Borland\\Delphi\\7.0";

// Exported, written, read back and imported over a key that has changed meanwhile, every
// kind of value and the nested keys come back exactly.
TEST(RegistryExport, ImportingTheFileRestoresTheKeyExactly)
{
    using namespace std::string_literals;
    const std::pair<std::string, RegistryValue> values[] = {
        {"$(DELPHI)\\Bin\\dclado70.bpl", {kRegString, "ADO components\0"s}},
        {"C:\\\"quoted\\\"\\", {kRegString, "a \"b\" \\\\c\\\0"s}},
        {"B\xFC\x63her \xA9", {kRegString, "Stra\xDF\x65 \xE9\0"s}},
        {"Empty", {kRegString, "\0"s}},
        {"Raw", {kRegString, "no zero"}},
        {"Zero", {kRegString, ""}},
        {"Lines", {kRegString, "one\r\ntwo\0"s}},
        {"", {kRegString, "default\0"s}},
        {"Path", {2, "%BDS%\\lib\0"s}},
        {"List", {7, "a\0b\0\0"s}},
        {"Bin", {kRegBinary, std::string(100, '\xA5')}},
        {"Nothing", {kRegBinary, ""}},
        {"Level", {kRegDWord, "\x78\x56\x34\x12"}},
        {"Odd", {kRegDWord, "\1\2"}},
        {"Big", {11, "\1\2\3\4\5\6\7\xFF"}},
        {"None", {0, "\0"s}},
    };
    MemoryRegistry registry;
    auto key = registry.OpenKey(RootKey::CurrentUser, std::string(kKey) + "\\Known Packages", KeyAccess::WriteCreate);
    for (const auto& [name, value] : values)
        key->WriteValue(name, value);
    registry.OpenKey(RootKey::CurrentUser, std::string(kKey) + "\\Empty", KeyAccess::WriteCreate);
    const TKeyExport saved = ExportKey(registry, RootKey::CurrentUser, kKey);
    const std::string file = FormatRegFile(saved);

    for (const auto& [name, value] : values)
        key->WriteValue(name, {kRegString, "changed\0"s});
    key->WriteString("Added", "");
    registry.OpenKey(RootKey::CurrentUser, std::string(kKey) + "\\Added", KeyAccess::WriteCreate)->WriteString("a", "");
    registry.DeleteKey(RootKey::CurrentUser, std::string(kKey) + "\\Empty");
    ImportKey(registry, ParseRegFile(file));

    const TKeyExport restored = ExportKey(registry, RootKey::CurrentUser, kKey);
    ASSERT_EQ(restored.Keys.size(), 3u);
    EXPECT_EQ(restored.Keys[1].Path, std::string(kKey) + "\\Empty");
    EXPECT_EQ(restored.Keys[2].Values, saved.Keys[2].Values) << file;
    EXPECT_EQ(FormatRegFile(restored), file);
}

TEST(RegistryExport, AMissingKeyIsSavedAsMissingAndImportingItDeletesTheKey)
{
    MemoryRegistry registry;
    const std::string file = FormatRegFile(ExportKey(registry, RootKey::CurrentUser, kKey));
    EXPECT_EQ(file, "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\7.0]\r\n\r\n");
    registry.OpenKey(RootKey::CurrentUser, std::string(kKey) + "\\Library", KeyAccess::WriteCreate);
    ImportKey(registry, ParseRegFile(file));
    EXPECT_FALSE(registry.KeyExists(RootKey::CurrentUser, kKey));

    registry.OpenKey(RootKey::LocalMachine, kKey, KeyAccess::WriteCreate)->WriteString("a", "b");
    const TKeyExport saved = ExportKey(registry, RootKey::LocalMachine, kKey);
    registry.SetLocked(RootKey::LocalMachine, "");
    EXPECT_THAT([&] { ImportKey(registry, saved); },
                ThrowsMessage<Exception>(HasSubstr("HKEY_LOCAL_MACHINE\\Software\\Borland\\Delphi\\7.0")));
}

TEST(RegistryExport, ContinuedHexListsAndCommentsAreReadAndBadLinesRefused)
{
    const std::string start =
        "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n";
    const TKeyExport read =
        ParseRegFile(start + "; a comment\r\n\"a\"=hex(7):61,00,\\\r\n   62,\\\r\n  00,00\r\n@=dword:1\r\n");
    ASSERT_EQ(read.Keys.size(), 1u);
    EXPECT_EQ(read.Keys[0].Values,
              (std::vector<std::pair<std::string, RegistryValue>>{{"a", {7, std::string("a\0b\0\0", 5)}},
                                                                  {"", {kRegDWord, std::string("\1\0\0\0", 4)}}}));

    const std::string replaced = "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n";
    const std::pair<std::string, const char*> refusals[] = {
        {"Windows Registry Editor Version 5.00\r\n", "Line 1 "},
        {"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n", "Line 3 "}, // no key to replace
        {"REGEDIT4\r\n", "not a registry export"},
        {replaced + "[HKEY_CURRENT_USER\\Software\\AB]\r\n", "Line 3 "}, // outside the replaced key
        {replaced + "[-HKEY_CURRENT_USER\\Software\\A]\r\n", "Line 3 "}, // a second key to replace
        {replaced + "\"a\"=\"b\"\r\n", "Line 3 "},                       // a value before any key
        {start + "\"a\"=\"b\r\n", "Line 5 "},
        {start + "\"a\"=hex:01,1g\r\n", "Line 5 "},
        {start + "\"a\"=hex:01,\\\r\n", "Line 5 "},
        {start + "\"a\"=-\r\n", "Line 5 "}, // a value deletion
    };
    for (const auto& [text, message] : refusals)
        EXPECT_THAT([&] { ParseRegFile(text); }, ThrowsMessage<Exception>(HasSubstr(message))) << text;
}

} // namespace
} // namespace corvalis
