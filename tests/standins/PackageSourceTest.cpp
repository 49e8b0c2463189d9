#include <gtest/gtest.h>

#include "standins/PackageSource.h"
#include "standins/StandIn.h"

namespace corvalis::standins {
namespace {

std::string Names(const std::vector<PackageSource::Item>& items)
{
    std::string names;
    for (const PackageSource::Item& item : items)
        names += (names.empty() ? "" : " ") + item.name + (item.path.empty() ? "" : "=" + item.path);
    return names;
}

TEST(PackageSource, CommentsDirectivesAndQuotesAreReadAsTheCompilerReadsThem)
{
    struct Case {
        std::string text;
        std::string requiredPackages;
        std::string units;
    };
    const Case cases[] = {
        {"package P; requires a, b; contains U; end.", "a b", "U"},
        {"PACKAGE P;\nREQUIRES (* a, *) b // c,\n, d;\nCONTAINS U IN 'U.pas' {UForm};\nEND.", "b d", "U=U.pas"},
        {"package P;\r\n{$IFDEF X}{ disabled }\r\ncontains Vcl.Grids in '..\\it''s.pas', W;\r\nend.", "",
         "Vcl.Grids=..\\it's.pas W"},
        {"package P; contains U in 'a}b.pas'; end.", "", "U=a}b.pas"},
        {"package P;\r\r\nend.", "", ""},
    };
    for (const Case& c : cases) {
        const PackageSource source = PackageSource::Parse(c.text, "P.dpk");
        EXPECT_EQ(source.name, "P") << c.text;
        EXPECT_EQ(Names(source.requiredPackages), c.requiredPackages) << c.text;
        EXPECT_EQ(Names(source.units), c.units) << c.text;
    }
}

TEST(PackageSource, MalformedTextsNameTheirLine)
{
    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"program P; end.", "P.dpk(1) Error: 'package' expected but 'program' found"},
        {"package P;\nrequires a b;\nend.", "P.dpk(2) Error: ',' expected but 'b' found"},
        {"package P;\n{ never closed\nend.", "P.dpk(2) Error: Unterminated comment"},
        {"package P;\n\ncontains U in 'U.pas\n;end.", "P.dpk(3) Error: Unterminated string"},
        {"package P;\ncontains U in U.pas;\nend.", "P.dpk(2) Error: String expected but 'U.pas' found"},
        {"package P;\nrequires a;", "P.dpk(2) Error: 'end' expected but 'end of file' found"},
        {"package P; end", "P.dpk(1) Error: '.' expected but 'end of file' found"},
    };
    for (const Case& c : cases) {
        try {
            PackageSource::Parse(c.text, "P.dpk");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const ToolFailure& failure) {
            EXPECT_EQ(failure.ExitCode(), 1);
            EXPECT_EQ(std::string(failure.what()), c.message);
        }
    }
}

TEST(PackageSource, LinesAreCountedByTheirLineFeeds)
{
    EXPECT_EQ(CountLines(""), 0);
    EXPECT_EQ(CountLines("end."), 1);
    EXPECT_EQ(CountLines("a\r\nb\r\n"), 2);
    EXPECT_EQ(CountLines("a\r\r\nb\r\r\nc"), 3);
}

} // namespace
} // namespace corvalis::standins
