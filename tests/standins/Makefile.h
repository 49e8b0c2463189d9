#pragma once

// The makefile that the bpr2mak stand-in writes and the make stand-in reads:
//     # comments
//     NAME = value
//     target: dependencies
// Every setting of the project becomes a macro of the same name, with $(BCB) standing for
// $(MAKEDIR)\.. (make's own folder's parent, the IDE's root). PASFILES and CPPFILES list
// the project's Pascal units and C++ sources; the one rule is $(PROJECT): $(OBJFILES).

#include <string>
#include <vector>

namespace corvalis::standins {

struct CppProject;

struct Makefile {
    struct Macro {
        std::string name;
        std::string value;
    };

    std::vector<Macro> macros; // in file order; a later definition wins
    std::string target;        // of the first rule, unexpanded; empty when there is none
    std::string dependencies;

    static Makefile Parse(const std::string& text);
};

std::string WriteMakefile(const CppProject& project, const std::string& projectFile);

} // namespace corvalis::standins
