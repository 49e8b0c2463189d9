#pragma once

// Helpers of the stand-in tests: environments, sample files and output lines.

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "standins/StandIn.h"

namespace corvalis::standins::testing {

// An environment holding exactly these variables; names compare without regard to case.
class FakeEnvironment {
public:
    void Set(const std::string& name, const std::string& value) { variables_[Upper(name)] = value; }
    Environment Lookup() const
    {
        return [this](const std::string& name) -> std::optional<std::string> {
            const auto found = variables_.find(Upper(name));
            return found == variables_.end() ? std::nullopt : std::optional<std::string>(found->second);
        };
    }

private:
    static std::string Upper(std::string name)
    {
        for (char& c : name)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return name;
    }

    std::map<std::string, std::string> variables_;
};

// A real IDE data file of tests/data/samples, byte for byte.
inline std::string SampleFile(const std::string& name)
{
    std::ifstream file(std::string(CORVALIS_TEST_DATA) + "/samples/" + name, std::ios::binary);
    EXPECT_TRUE(file.is_open()) << name;
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// A tool's printed text as lines, without their CR LF.
inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace corvalis::standins::testing
