#pragma once

// The actions of the test child program, one per argument, so that the in-memory process
// fake can replay exactly what the Windows program does:
//   out:TEXT  write TEXT to standard output      err:TEXT  write TEXT to standard error
//   exit:N    end with exit code N (default 0)
//   pwd       write the current folder and CR LF to standard output
//   lines:N:LEN  write N lines of LEN characters, each ended by CR LF and written on its
//                own, to standard output
// TEXT may hold \r, \n, \\ and \xHH.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace corvalis::testing {

struct ChildAction {
    enum Kind { Output, Error, Exit, Lines, WorkingFolder } kind;
    std::string text;   // for Lines: one line with its terminator
    int32_t number = 0; // exit code or line count
};

inline std::string Unescape(const std::string& text)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'r')
            bytes += '\r';
        else if (c == 'n')
            bytes += '\n';
        else if (c == 'x' && i + 2 < text.size()) {
            bytes += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else
            bytes += c;
    }
    return bytes;
}

inline std::vector<ChildAction> ParseChildActions(const std::vector<std::string>& arguments)
{
    std::vector<ChildAction> actions;
    for (const std::string& argument : arguments) {
        const auto value = [&](size_t prefix) { return argument.substr(prefix); };
        if (argument.rfind("out:", 0) == 0)
            actions.push_back({ChildAction::Output, Unescape(value(4))});
        else if (argument.rfind("err:", 0) == 0)
            actions.push_back({ChildAction::Error, Unescape(value(4))});
        else if (argument.rfind("exit:", 0) == 0)
            actions.push_back({ChildAction::Exit, {}, std::atoi(value(5).c_str())});
        else if (argument == "pwd")
            actions.push_back({ChildAction::WorkingFolder});
        else if (argument.rfind("lines:", 0) == 0) {
            const std::string countAndLength = value(6);
            const size_t colon = countAndLength.find(':');
            const auto length = static_cast<size_t>(std::atoi(countAndLength.substr(colon + 1).c_str()));
            actions.push_back({ChildAction::Lines, std::string(length, 'x') + "\r\n",
                               std::atoi(countAndLength.substr(0, colon).c_str())});
        }
    }
    return actions;
}

} // namespace corvalis::testing
