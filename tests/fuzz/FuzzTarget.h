#pragma once

#include "fixtures/MemoryFixture.h"
#include "ide/DelphiData.h"

namespace corvalis::fuzz {

// The BDS target of a fixture IDE on a machine of its own, made on the first call and
// kept for every input after it: one per fuzzer program.
inline TCompileTarget& BdsTarget(testing::Ide ide, const char* version)
{
    static MemoryPlatform machine;
    static TCompileTarget* target = [&] {
        testing::MemoryFixtureFiles files(machine);
        testing::IdeFixture(ide).Install(machine.platform, files);
        return new TCompileTarget(machine.platform, "BDS", version, "BDS");
    }();
    return *target;
}

} // namespace corvalis::fuzz
