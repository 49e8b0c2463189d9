#include <gmock/gmock.h>

#include "E2eTest.h"
#include "ide/EnvOptions.h"
#include "ide/Utils.h"
#include "run/ExitCode.h"

namespace corvalis::e2e {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using testing::Ide;
using testing::IdeFixture;
using namespace uidriver;

using RadStudioTest = E2eTest;

TEST_F(RadStudioTest, OldAndNewIdesGetEachPlatformsBuildAndPathsAndTheUninstallLeavesThemAsBefore)
{
    const IdeFixture& delphi7 = AddIde(Ide::Delphi7);
    const IdeFixture& rad2010 = AddIde(Ide::Rad2010);
    const IdeFixture& xe = AddIde(Ide::RadXE); // Win32 only; its browsing path ends in ";"
    const IdeFixture& xe2 = AddIde(Ide::RadXE2);
    const IdeFixture& rad11 = AddIde(Ide::Rad11);
    const IdeFixture& rad12 = AddIde(Ide::Rad12);
    const std::vector<std::string> before = IdeSettings();
    const std::string setup = MakePackage("Corvalis Setup");

    const TRunResult listing = Run(setup, "--list-ides");
    EXPECT_EQ(listing.exitCode, DWORD(ecDone));
    for (const auto& [name, ide] : {std::pair{"DelphiXE2", &xe2}, {"Delphi11", &rad11}, {"Delphi12", &rad12}})
        EXPECT_THAT(listing.output, HasSubstr((name + std::string(14, ' ')).substr(0, 14) + "not installed  " +
                                              DisplayName(*ide) + "\r\n"));

    // The 64-bit IDE counts as the IDE running.
    {
        TChildProgram ide64("\"" + rad12.Ide64File() + "\" /timeout:600000");
        WaitUntil([&] { return ide64.Running(); }, "the 64-bit IDE to start");
        const TRunResult refused = Run(setup, "--silent \"--dir=" + InstallDir() + "\"");
        EXPECT_EQ(refused.exitCode, DWORD(ecRefused));
        EXPECT_EQ(refused.errors, DisplayName(rad12) + " IDE is running. Please close it before continue.\r\n");
    }

    const TRunResult install = Run(setup, "--silent \"--dir=" + InstallDir() + "\"");
    ASSERT_EQ(install.exitCode, DWORD(ecDone)) << install.errors << install.output;
    // Each platform's search path, in the registry and in the platform's group of EnvOptions.proj.
    const std::tuple<const IdeFixture*, const char*, std::string> paths[] = {
        {&delphi7, "Win32", "Delphi7"},       {&rad2010, "Win32", "Delphi2010"},
        {&xe, "Win32", "DelphiXE"},           {&xe2, "Win32", "DelphiXE2\\Win32"},
        {&xe2, "Win64", "DelphiXE2\\Win64"},  {&rad11, "Win32", "Delphi11\\Win32"},
        {&rad11, "Win64", "Delphi11\\Win64"}, {&rad12, "Win32", "Delphi12\\Win32"},
        {&rad12, "Win64", "Delphi12\\Win64"},
    };
    for (const auto& [ide, platform, folder] : paths) {
        const std::string output = ";" + InstallDir() + "\\" + folder;
        const std::string library = ide->LibraryKey(platform).substr(ide->UserKey().size() + 1);
        EXPECT_THAT(UserKey(*ide).at(UpperCase(library) + "\\SEARCH PATH"), EndsWith(output));
        const std::string condition = "'$(Platform)'=='" + std::string(platform) + "'";
        if (ide->HasWin64())
            EXPECT_THAT(TEnvOptions(machine.platform, ide->EnvOptionsFile(machine.platform))
                            .Value("DelphiLibraryPath", condition.c_str())
                            .value_or(""),
                        EndsWith(output));
    }
    EXPECT_TRUE(Registered(rad12, "Delphi12\\Win32\\CorvalisDsgnD29.bpl"));
    EXPECT_EQ(UserKey(rad12).count("KNOWN PACKAGES X64\\" +
                                   UpperCase(InstallDir() + "\\Delphi12\\Win64\\CorvalisDsgnD29.bpl")),
              1u);
    // Only the Win32 runtime package goes where Windows finds it.
    EXPECT_THAT(machine.files.ReadFile(machine.files.SystemDirectory() + "\\CorvalisD29.bpl").value_or(""),
                HasSubstr("compiled for Win32"));

    // An update takes the product out of every platform of each IDE and puts the new one in.
    const TRunResult update =
        Run(MakePackage("New Setup", "2.1.0.0 Standard Edition With Sources"), "--silent --autoupdate");
    EXPECT_EQ(update.exitCode, DWORD(ecDone)) << update.errors;
    EXPECT_THAT(UserKey(rad12).at("LIBRARY\\WIN64\\SEARCH PATH"), EndsWith(";" + InstallDir() + "\\Delphi12\\Win64"));

    EXPECT_EQ(Run(setup, "--silent --uninstall").exitCode, DWORD(ecDone));
    EXPECT_EQ(IdeSettings(), before);
}

} // namespace
} // namespace corvalis::e2e
