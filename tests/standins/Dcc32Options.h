#pragma once

// The compiler switches the Pascal compiler stand-in acts on, read from configuration files
// and its command line the way the real compiler reads them: switches start with '-' or '/'
// in either letter case, several may share a line, quotes group and are dropped ("a";"b" is
// the list a;b), lists are ';'-separated, -U lists add up and a later folder switch
// replaces an earlier one. Every other switch is accepted and ignored.

#include <optional>
#include <string>
#include <vector>

namespace corvalis::standins {

struct Dcc32Options {
    std::vector<std::string> unitPaths; // -U
    std::string bplOutput;              // -LE
    std::string dcpOutput;              // -LN
    std::string dcuOutput;              // -N0, or -N of the older compilers
    std::string hppOutput;              // -NH, or -N1
    std::string objOutput;              // -NO, or -N2
    std::string bpiOutput;              // -NB
    bool cppBuilderFiles = false;       // -JL

    // One switch as written, quotes included.
    void Apply(const std::string& token);
    // Every switch of a configuration file's text.
    void ApplyConfig(const std::string& text);
};

// A switch starts with '-' or '/'; on the command line anything else names a source.
bool IsSwitch(const std::string& token);

} // namespace corvalis::standins
