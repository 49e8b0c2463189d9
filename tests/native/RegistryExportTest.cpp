#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/RegistryExport.h"
#include "platform/Exceptions.h"
#include "platform/TextEncoding.h"
#include "platform/memory/MemoryRegistry.h"

namespace corvalis {
namespace {

using namespace std::string_literals;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

constexpr const char* kKey = "Software\\Borland\\Delphi\\7.0";

std::string Utf16(const std::u16string& text)
{
    return Utf16ToBytes(text, false);
}

// A registry file of the text's lines.
std::string RegFile(const std::string& text)
{
    return "\xFF\xFE" + Utf16(Utf8ToUtf16(text));
}

// Exported, written, read back and imported over a key that has changed meanwhile, every kind
// of value, names of any code page ("Łukasz", "中") and the nested keys come back exactly.
TEST(RegistryExport, ImportingTheFileRestoresTheKeyExactly)
{
    const std::pair<std::string, RegistryValue> values[] = {
        {"$(DELPHI)\\Bin\\dclado70.bpl", {kRegString, Utf16(u"ADO components\0"s)}},
        {"C:\\\"quoted\\\"\\", {kRegString, Utf16(u"a \"b\" \\\\c\\\0"s)}},
        {"C:\\Users\\\xC5\x81ukasz\\\xE4\xB8\xAD.bpl", {kRegString, Utf16(u"Stra\u00DFe \u0141\0"s)}},
        {"\xED\xA0\xBD lone surrogate", {kRegString, Utf16(u"\xD83D\0"s)}}, // as Windows may hand it over
        {"Empty", {kRegString, Utf16(u"\0"s)}},
        {"Odd", {kRegString, "odd"}},
        {"Unterminated", {kRegString, Utf16(u"no zero")}},
        {"Zero", {kRegString, ""}},
        {"Lines", {kRegString, Utf16(u"one\r\ntwo\0"s)}},
        {"Inner zero", {kRegString, Utf16(u"a\0b\0"s)}},
        {"", {kRegString, Utf16(u"default\0"s)}},
        {"Path", {2, Utf16(u"%BDS%\\lib\0"s)}},
        {"List", {7, Utf16(u"a\0\u4E2D\0\0"s)}},
        {"Bin", {kRegBinary, std::string(100, '\xA5')}},
        {"Nothing", {kRegBinary, ""}},
        {"Level", {kRegDWord, "\x78\x56\x34\x12"}},
        {"Odd number", {kRegDWord, "\1\2"}},
        {"Big", {11, "\1\2\3\4\5\6\7\xFF"}},
        {"None", {0, "\0"s}},
    };
    MemoryRegistry registry;
    const std::string packages = std::string(kKey) + "\\\xC5\x81ukasz";
    auto key = registry.OpenKey(RootKey::CurrentUser, packages, KeyAccess::WriteCreate);
    for (const auto& [name, value] : values)
        key->WriteValue(name, value);
    registry.OpenKey(RootKey::CurrentUser, std::string(kKey) + "\\Empty", KeyAccess::WriteCreate);
    const TKeyExport saved = ExportKey(registry, RootKey::CurrentUser, kKey);
    const std::string file = FormatRegFile(saved);

    for (const auto& [name, value] : values)
        key->WriteString(name, "changed");
    key->WriteString("Added", "");
    registry.OpenKey(RootKey::CurrentUser, std::string(kKey) + "\\Added", KeyAccess::WriteCreate)->WriteString("a", "");
    registry.DeleteKey(RootKey::CurrentUser, std::string(kKey) + "\\Empty");
    ImportKey(registry, ParseRegFile(file));

    const TKeyExport restored = ExportKey(registry, RootKey::CurrentUser, kKey);
    ASSERT_EQ(restored.Keys.size(), 3u);
    EXPECT_EQ(restored.Keys[2].Path, packages);
    EXPECT_EQ(restored, saved);
    EXPECT_EQ(FormatRegFile(restored), file);
}

// A subkey that is there but cannot be read, or a name that the file cannot hold, makes the
// export fail rather than leave them out; a missing key is saved as missing.
TEST(RegistryExport, AnExportHoldsTheWholeKeyOrNothing)
{
    MemoryRegistry registry;
    const std::string file = FormatRegFile(ExportKey(registry, RootKey::CurrentUser, kKey));
    EXPECT_EQ(ParseRegFile(file), (TKeyExport{RootKey::CurrentUser, kKey, {}}));
    EXPECT_EQ(file, RegFile("Windows Registry Editor Version 5.00\r\n\r\n"
                            "[-HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\7.0]\r\n\r\n"));

    registry.OpenKey(RootKey::CurrentUser, std::string(kKey) + "\\Secret", KeyAccess::WriteCreate);
    registry.SetLocked(RootKey::CurrentUser, std::string(kKey) + "\\Secret", MemoryRegistry::Lock::Unreadable);
    EXPECT_THAT([&] { ExportKey(registry, RootKey::CurrentUser, kKey); },
                ThrowsMessage<Exception>(HasSubstr("7.0\\Secret cannot be read")));
    EXPECT_THAT([&] { ExportKey(registry, RootKey::CurrentUser, kKey + "\\Secret"s); },
                ThrowsMessage<Exception>(HasSubstr("cannot be read")));

    registry.SetLocked(RootKey::CurrentUser, std::string(kKey) + "\\Secret", MemoryRegistry::Lock::None);
    registry.OpenKey(RootKey::CurrentUser, kKey, KeyAccess::Write)->WriteString("a\r\nb", "");
    EXPECT_THAT([&] { FormatRegFile(ExportKey(registry, RootKey::CurrentUser, kKey)); },
                ThrowsMessage<Exception>(HasSubstr("cannot hold the key HKEY_CURRENT_USER\\Software")));
}

TEST(RegistryExport, ContinuedHexListsAndCommentsAreReadAndBadLinesRefused)
{
    const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::string start = header + "[-HKEY_CURRENT_USER\\Software\\A]\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n";
    const TKeyExport read = ParseRegFile(
        RegFile(start + "; a comment\r\n\"a\"=hex(7):61,00,\\\r\n   62,\\\r\n  00,00\r\n@=dword:1\r\n\"\xC5\x81\"=\"\xC5\x82\"\r\n"));
    ASSERT_EQ(read.Keys.size(), 1u);
    EXPECT_EQ(read.Keys[0].Values,
              (std::vector<std::pair<std::string, RegistryValue>>{{"a", {7, "a\0b\0\0"s}},
                                                                  {"", {kRegDWord, "\1\0\0\0"s}},
                                                                  {"\xC5\x81", {kRegString, Utf16(u"\u0142\0"s)}}}));

    const std::string replaced = header + "[-HKEY_CURRENT_USER\\Software\\A]\r\n";
    const std::pair<std::string, const char*> refusals[] = {
        {RegFile("REGEDIT4\r\n"), "Line 1 "},
        {"Windows Registry Editor Version 5.00\r\n", "not a Unicode registry file"},
        {RegFile(header + "[HKEY_CURRENT_USER\\Software\\A]\r\n"), "Line 3 "}, // no key to replace
        {RegFile(header), "not a registry export"},
        {RegFile(replaced + "[HKEY_CURRENT_USER\\Software\\AB]\r\n"), "Line 4 "}, // outside the replaced key
        {RegFile(replaced + "[-HKEY_CURRENT_USER\\Software\\A]\r\n"), "Line 4 "}, // a second key to replace
        {RegFile(replaced + "\"a\"=\"b\"\r\n"), "Line 4 "},                       // a value before any key
        {RegFile(start + "\"a\"=\"b\r\n"), "Line 5 "},
        {RegFile(start + "\"a\"=hex:01,1g\r\n"), "Line 5 "},
        {RegFile(start + "\"a\"=hex:01,\\\r\n"), "Line 5 "},
        {RegFile(start + "\"a\"=-\r\n"), "Line 5 "}, // a value deletion
    };
    for (const auto& [bytes, message] : refusals)
        EXPECT_THAT([&] { ParseRegFile(bytes); }, ThrowsMessage<Exception>(HasSubstr(message))) << bytes;
}

} // namespace
} // namespace corvalis
