#pragma once

#include <string>

namespace corvalis {

class IConsole {
public:
    virtual ~IConsole() = default;
    // Uses an inherited standard output when there is one, else allocates a console.
    virtual void Open() = 0;
    // Uses an inherited standard output, or the console the program was started from;
    // false, and nothing allocated, when there is neither.
    virtual bool Attach() = 0;
    virtual void WriteLine(const std::string& line) = 0;
    // To standard error; nothing when there is none.
    virtual void WriteError(const std::string& line) = 0;
    virtual std::string ReadLine() = 0;
    [[noreturn]] virtual void Exit(int exitCode) = 0;
};

} // namespace corvalis
