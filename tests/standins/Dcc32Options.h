#pragma once

// The compiler switches the Pascal compiler stand-in acts on, read from a configuration
// file the way the real compiler reads it: switches start with '-' or '/'
// in either letter case, several may share a line, quotes group and are dropped ("a";"b" is
// the list a;b), lists are ';'-separated, -U lists add up and a later folder switch
// replaces an earlier one. Every other switch is accepted and ignored.

#include <string>
#include <vector>

namespace corvalis::standins {

struct Dcc32Options {
    std::vector<std::string> unitPaths;  // -U
    std::string bplOutput;               // -LE
    std::string dcpOutput;               // -LN
    std::string dcuOutput;               // -N0, or -N of the older compilers
    std::string hppOutput;               // -NH, or -N1
    std::string objOutput;               // -NO, or -N2
    std::string bpiOutput;               // -NB
    std::vector<std::string> unitScopes; // -NS
    bool cppBuilderFiles = false;        // -JL

    // Every switch of a configuration file's text.
    void ApplyConfig(const std::string& text);

private:
    void Apply(const std::string& token);
};

} // namespace corvalis::standins
