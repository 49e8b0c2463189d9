// Lays the demo IDEs into the Wine prefix it runs in: Delphi 7, C++Builder 6, RAD Studio
// 2007, 2010 and 12 with its 64-bit IDE, each with its registry keys, folders and the stand-in tools
// built beside this program, as the installer finds a developer's machine.
//     demoides
// Exit code 0; 1 with a message on standard error when a file cannot be laid down.
#include <cstdio>
#include <exception>

#include "fixtures/IdeFixture.h"
#include "fixtures/Win32FixtureFiles.h"
#include "ide/Utils.h"
#include "platform/win32/Win32Platform.h"

int main()
{
    using namespace corvalis;
    using testing::Ide;
    try {
        Win32Platform machine;
        testing::Win32FixtureFiles files(machine.files, ExtractFileDir(machine.processes.ExecutablePath()));
        for (const Ide ide : {Ide::Delphi7, Ide::CBuilder6, Ide::Rad2007, Ide::Rad2010, Ide::Rad12}) {
            const testing::IdeFixture fixture(ide);
            fixture.Install(machine.platform, files);
            std::printf("%s\n", fixture.RootDir().c_str());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "demoides: %s\n", error.what());
        return 1;
    }
    return 0;
}
