#pragma once

// The dcc32.cfg that the installer writes beside a package project, for the tests to hand
// to the compiler stand-in: 25 lines ended by CR LF.

#include <string>

namespace corvalis::standins {

struct CompilerConfig {
    std::string outputFolder;        // the unit output folder too: the same for Delphi targets
    std::string searchPath;          // ';'-separated, macros expanded
    std::string idePackageFolders;   // the IDE's BPL folder ";" its DCP folder
    std::string registeredBplFolder; // as the registry holds it
    bool cppBuilderFiles = false;    // -JL

    std::string Text() const;
};

} // namespace corvalis::standins
