#include "contract/ServiceEnvironment.h"

namespace corvalis::testing {
namespace {

// The contract assumes a Western European system: ANSI code page 1252, OEM code page 437.
class LocaleContract : public ContractTest {
protected:
    ILocale& Locale() { return Services().locale; }
};

TEST_P(LocaleContract, CodePageTextConvertsExactlyOrNotAtAll)
{
    const std::string ansi = "Caf\xE9 \x80 \x93quoted\x94";
    const std::u16string wide = u"Caf\u00E9 \u20AC \u201Cquoted\u201D";
    EXPECT_EQ(Locale().AnsiToWide(ansi), wide);
    EXPECT_EQ(Locale().WideToAnsi(wide), ansi);
    EXPECT_EQ(Locale().WideToAnsi(u""), "");
    // Neither a Chinese character nor a Polish L with stroke: no "?", no look-alike "L".
    EXPECT_EQ(Locale().WideToAnsi(u"\u4E2D"), std::nullopt);
    EXPECT_EQ(Locale().Utf8ToAnsi("C:\\Users\\\xC5\x81ukasz"), std::nullopt);
    // e acute, u umlaut, A umlaut, n tilde and a box corner in code page 437.
    EXPECT_EQ(Locale().OemToWide("\x82\x81\x8E\xA4\xC9 plain"), u"\u00E9\u00FC\u00C4\u00F1\u2554 plain");
}

TEST_P(LocaleContract, CaseIsIgnoredInTheUsersLocale)
{
    EXPECT_TRUE(Locale().SameText("C:\\Program Files\\Borland", "c:\\PROGRAM FILES\\borland"));
    EXPECT_TRUE(Locale().SameText("\xC3\x84rger", "\xC3\xA4RGER")); // Ärger
    EXPECT_FALSE(Locale().SameText("C:\\RAD", "C:\\RAD2"));
    EXPECT_TRUE(Locale().StartsText("c:\\rad\\", "C:\\RAD\\lib"));
    // "turbo łódź éä" in capitals
    EXPECT_EQ(Locale().UpperCase("turbo \xC5\x82\xC3\xB3" "d\xC5\xBA \xC3\xA9\xC3\xA4"),
              "TURBO \xC5\x81\xC3\x93" "D\xC5\xB9 \xC3\x89\xC3\x84");
}

TEST_P(LocaleContract, LocaleTextsHaveTheirForm)
{
    EXPECT_EQ(Locale().LanguageAbbreviation().size(), 3u);
    EXPECT_EQ(Locale().TimeSeparator(), ":");
    EXPECT_GT(Locale().Now(), 36526.0); // after 2000-01-01
    EXPECT_LE(Locale().Now(), Locale().Now());
    // Error texts carry no trailing full stop.
    const std::string text = Locale().ErrorText(5);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '.');
    EXPECT_NE(text.back(), '\n');
}

TEST_P(LocaleContract, StringResourcesAreReadFromAModuleLoadedAsData)
{
    const std::string module = Env().CoreIdeModule();
    EXPECT_EQ(Locale().LoadStringResource(module, 64431, 1023), "Borland Studio-Projekte");
    EXPECT_EQ(Locale().LoadStringResource(module, 64431, 7), "Borland");
    EXPECT_EQ(Locale().LoadStringResource(module, 64460, 1023), std::nullopt);
    EXPECT_EQ(Locale().LoadStringResource(Env().ScratchFolder() + "\\coreide90.ENU", 64431, 1023), std::nullopt);
}

} // namespace

CORVALIS_CONTRACT_SUITE(LocaleContract);

} // namespace corvalis::testing
