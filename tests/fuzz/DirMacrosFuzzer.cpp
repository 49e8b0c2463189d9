// Folder macros with IDE variables that may refer to each other or to themselves.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzTarget.h"
#include "ide/Utils.h"

namespace {

using namespace corvalis;

TCompileTarget& Target()
{
    return fuzz::BdsTarget(testing::Ide::Rad2010, "7.0");
}

} // namespace

// The input is a path and up to three variable values, separated by line feeds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TCompileTarget& target = Target();
    std::string parts[4];
    size_t part = 0;
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n' && part < 3)
            ++part;
        else
            parts[part] += c;
    }
    target.EnvVars = {"BDSPROJECTSDIR=" + parts[1], "BDSCOMMONDIR=" + parts[2], "X=" + parts[3]};
    const std::string expanded = target.ExpandDirMacros(parts[0]);
    if (parts[0].find("$(") == std::string::npos && expanded != parts[0])
        std::abort();
    target.InsertDirMacros(expanded);
    target.ProjectsDir();
    target.CommonDir();
    // A folder below the IDE's root always gets the root's macro.
    if (!StartsText("$(BDS)\\", target.InsertDirMacros(target.RootDir + "\\" + parts[0])))
        std::abort();
    return 0;
}
