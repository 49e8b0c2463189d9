#pragma once

// A Delphi package source (.dpk) as the compiler stand-in reads it:
//     package Name; [requires A, B;] [contains U [in 'path'], ...;] end.
// Comments { }, (* *) and // are skipped, and so are compiler directives {$...}, which
// are comments to this reader. Keywords and names are compared without regard to case.

#include <string>
#include <vector>

namespace corvalis::standins {

struct PackageSource {
    struct Item {
        std::string name;
        std::string path; // the 'path' after "in"; empty when none is given
        int line = 0;
    };

    std::string name;
    std::vector<Item> requiredPackages; // the requires clause
    std::vector<Item> units;            // the contains clause
    int lines = 0;

    // Throws ToolFailure (exit code 1) with "file(line) Error: ..." for a malformed text.
    static PackageSource Parse(const std::string& text, const std::string& fileName);
};

// The units a unit's uses clauses name, with their lines.
std::vector<PackageSource::Item> UsedUnits(const std::string& text, const std::string& fileName);

// The number of lines of a text, as a compiler counts them.
int CountLines(const std::string& text);

} // namespace corvalis::standins
