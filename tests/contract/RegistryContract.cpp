#include <functional>

#include "platform/Exceptions.h"
#include "platform/TextEncoding.h"
#include "contract/ServiceEnvironment.h"

namespace corvalis::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ThrowsMessage;
using ::testing::UnorderedElementsAre;

class RegistryContract : public ContractTest {
protected:
    IRegistry& Registry() { return Services().registry; }
    std::unique_ptr<IRegistryKey> Create(const std::string& subkey = {}, RootKey root = RootKey::CurrentUser)
    {
        auto key = Registry().OpenKey(root, Env().ScratchKey() + subkey, KeyAccess::WriteCreate);
        EXPECT_NE(key, nullptr);
        return key;
    }
};

TEST_P(RegistryContract, OpeningAMissingKeyFailsUnlessAskedToCreateIt)
{
    const std::string path = Env().ScratchKey() + "\\Missing\\Deeper";
    EXPECT_EQ(Registry().OpenKey(RootKey::CurrentUser, path, KeyAccess::Read), nullptr);
    EXPECT_EQ(Registry().OpenKey(RootKey::CurrentUser, path, KeyAccess::Write), nullptr);
    EXPECT_FALSE(Registry().KeyExists(RootKey::CurrentUser, path));

    EXPECT_NE(Registry().OpenKey(RootKey::CurrentUser, path, KeyAccess::WriteCreate), nullptr);
    EXPECT_TRUE(Registry().KeyExists(RootKey::CurrentUser, path));
    EXPECT_NE(Registry().OpenKey(RootKey::CurrentUser, path, KeyAccess::Read), nullptr);
}

TEST_P(RegistryContract, StringsAndIntegersComeBackAsWritten)
{
    auto key = Create();
    key->WriteString("Root Dir", "C:\\Program Files\\Borland\\Delphi7");
    key->WriteString("Empty", "");
    key->WriteInteger("Level", -7);
    key->WriteBool("Flag", true);
    EXPECT_TRUE(key->Flush());

    auto read = Registry().OpenKey(RootKey::CurrentUser, Env().ScratchKey(), KeyAccess::Read);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->ReadString("Root Dir"), "C:\\Program Files\\Borland\\Delphi7");
    EXPECT_TRUE(read->ValueExists("Empty"));
    EXPECT_EQ(read->ReadString("Empty"), "");
    EXPECT_FALSE(read->ValueExists("Nothing"));
    EXPECT_EQ(read->ReadString("Nothing"), "");
    EXPECT_EQ(read->ReadInteger("Level"), -7);
    EXPECT_TRUE(read->ReadBool("Flag"));
}

TEST_P(RegistryContract, FailedReadsAndWritesNameTheValue)
{
    auto key = Create();
    key->WriteInteger("Visit Web", 1);
    key->WriteString("CompilationMode", "2");
    auto readOnly = Registry().OpenKey(RootKey::CurrentUser, Env().ScratchKey(), KeyAccess::Read);
    ASSERT_NE(readOnly, nullptr);
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { key->ReadInteger("Nothing"); }, "Failed to get data for 'Nothing'"},
        {[&] { key->ReadString("Visit Web"); }, "Invalid data type for 'Visit Web'"},
        {[&] { key->ReadInteger("CompilationMode"); }, "Invalid data type for 'CompilationMode'"},
        {[&] { readOnly->WriteString("InstallDir", "C:\\x"); }, "Failed to set data for 'InstallDir'"},
        {[&] { readOnly->WriteInteger("Installed", 1); }, "Failed to set data for 'Installed'"},
    };
    for (const auto& [action, message] : cases)
        EXPECT_THAT(action, ThrowsMessage<ERegistryException>(message));
}

// Windows lists values in creation order, Wine sorted by name; the in-memory registry
// does as Windows does (MemoryRegistryTest), so the contract only asks for the names.
TEST_P(RegistryContract, ValuesEnumerateAllNamesAndSubkeysSorted)
{
    auto key = Create();
    key->WriteString("zeta", "1");
    key->WriteString("Alpha", "2");
    key->WriteInteger("mid", 3);
    for (const char* name : {"beta", "ALPHA2", "Alpha", "gamma"})
        Create(std::string("\\") + name);

    EXPECT_THAT(key->ValueNames(), UnorderedElementsAre("zeta", "Alpha", "mid"));
    EXPECT_THAT(key->SubKeyNames(), ElementsAre("Alpha", "ALPHA2", "beta", "gamma"));
}

TEST_P(RegistryContract, NamesCompareWithoutRegardToCaseAndKeepTheirFirstSpelling)
{
    auto key = Create("\\Known Packages");
    key->WriteString("$(DELPHI)\\Bin\\dclado70.bpl", "Borland ADO DB Components");
    key->WriteString("$(delphi)\\bin\\DCLADO70.BPL", "replaced");

    auto again = Registry().OpenKey(RootKey::CurrentUser, Env().ScratchKey() + "\\KNOWN PACKAGES", KeyAccess::Read);
    ASSERT_NE(again, nullptr);
    EXPECT_THAT(again->ValueNames(), ElementsAre("$(DELPHI)\\Bin\\dclado70.bpl"));
    EXPECT_EQ(again->ReadString("$(Delphi)\\BIN\\dclado70.bpl"), "replaced");
}

TEST_P(RegistryContract, DeletingAValueOrAKeyLeavesTheOthers)
{
    auto key = Create();
    key->WriteString("a", "1");
    key->WriteString("b", "2");
    EXPECT_TRUE(key->DeleteValue("A"));
    EXPECT_FALSE(key->DeleteValue("a"));
    EXPECT_THAT(key->ValueNames(), ElementsAre("b"));

    const std::string ide = Env().ScratchKey() + "\\Delphi 7.0 (Enterprise)";
    Create("\\Delphi 7.0 (Enterprise)\\Deeper")->WriteInteger("Installed", 1);
    EXPECT_TRUE(Registry().DeleteKey(RootKey::CurrentUser, ide));
    EXPECT_FALSE(Registry().KeyExists(RootKey::CurrentUser, ide));
    EXPECT_TRUE(Registry().KeyExists(RootKey::CurrentUser, Env().ScratchKey()));
    EXPECT_FALSE(Registry().DeleteKey(RootKey::CurrentUser, ide));
}

TEST_P(RegistryContract, MachineKeysWorkLikeUserKeysAndPathsMayStartWithABackslash)
{
    Create({}, RootKey::LocalMachine)->WriteString("InstallDir", "C:\\Corvalis");
    EXPECT_FALSE(Registry().KeyExists(RootKey::CurrentUser, Env().ScratchKey()));
    auto key = Registry().OpenKey(RootKey::LocalMachine, "\\" + Env().ScratchKey(), KeyAccess::Read);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadString("InstallDir"), "C:\\Corvalis");
}

// Names and strings hold characters of any code page ("Łukasz", "中"); strings are stored
// as UTF-16, and every value comes back with its exact bytes, even those of a string that
// is not UTF-16 at all.
TEST_P(RegistryContract, EveryValueTypeComesBackWithItsExactData)
{
    using namespace std::string_literals;
    const auto utf16 = [](const std::u16string& text) { return Utf16ToBytes(text, false); };
    const std::string name = "C:\\Users\\\xC5\x81ukasz\\x.bpl";
    const std::vector<std::pair<std::string, RegistryValue>> values = {
        {"", {kRegString, utf16(u"default\0"s)}},
        {name, {kRegString, utf16(u"Stra\u00DFe \"x\" \\ \u4E2D\0"s)}},
        {"Expand", {kRegExpandString, utf16(u"%BDS%\\lib\0"s)}},
        {"Multi", {7, utf16(u"a\0b\u00E9\0\0"s)}},
        {"Odd", {kRegString, "abc"}},
        {"Binary", {kRegBinary, "\0\x01\xFF"s}},
        {"Empty", {kRegBinary, ""}},
        {"Number", {kRegDWord, "\x78\x56\x34\x12"}},
        {"Big", {11, "\1\2\3\4\5\6\7\x08"}},
    };
    auto key = Create();
    for (const auto& [valueName, value] : values)
        key->WriteValue(valueName, value);
    Create("\\\xE4\xB8\xAD \xC5\x81ukasz")->WriteString("\xC5\x81", "\xC5\x82");
    auto read = Registry().OpenKey(RootKey::CurrentUser, Env().ScratchKey(), KeyAccess::Read);
    ASSERT_NE(read, nullptr);
    for (const auto& [valueName, value] : values) {
        const std::optional<RegistryValue> back = read->ReadValue(valueName);
        ASSERT_TRUE(back.has_value()) << valueName;
        EXPECT_EQ(back->type, value.type) << valueName;
        EXPECT_EQ(back->data, value.data) << valueName;
    }
    EXPECT_EQ(read->ReadValue("Missing"), std::nullopt);
    EXPECT_EQ(read->ReadInteger("Number"), 0x12345678);
    EXPECT_EQ(read->ReadString("Expand"), "%BDS%\\lib");
    EXPECT_EQ(read->ReadString(name), "Stra\xC3\x9F" "e \"x\" \\ \xE4\xB8\xAD");
    EXPECT_THAT(read->ValueNames(), Contains(name));
    EXPECT_THAT(read->SubKeyNames(), ElementsAre("\xE4\xB8\xAD \xC5\x81ukasz"));
    auto subkey = Registry().OpenKey(RootKey::CurrentUser, Env().ScratchKey() + "\\\xE4\xB8\xAD \xC5\x81ukasz",
                                     KeyAccess::Read);
    ASSERT_NE(subkey, nullptr);
    EXPECT_EQ(subkey->ReadString("\xC5\x81"), "\xC5\x82");
}

} // namespace

CORVALIS_CONTRACT_SUITE(RegistryContract);

} // namespace corvalis::testing
