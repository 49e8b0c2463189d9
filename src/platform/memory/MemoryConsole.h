#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Console.h"

namespace corvalis {

// What Exit throws in place of ending the process.
struct ConsoleExit {
    int exitCode;
};

class MemoryConsole : public IConsole {
public:
    void Open() override { opened_ = true; }
    bool Attach() override { return opened_ = attachable_; }
    void WriteLine(const std::string& line) override { lines_.push_back(line); }
    void WriteError(const std::string& line) override { errors_.push_back(line); }
    std::string ReadLine() override;
    [[noreturn]] void Exit(int exitCode) override { throw ConsoleExit{exitCode}; }

    void AddInput(const std::string& line) { input_.push_back(line); }
    // A program started without standard output and without a console.
    void Detach() { attachable_ = false; }
    bool Opened() const { return opened_; }
    const std::vector<std::string>& Lines() const { return lines_; }
    const std::vector<std::string>& Errors() const { return errors_; }
    int LinesRead() const { return linesRead_; }

private:
    bool opened_ = false;
    bool attachable_ = true;
    std::vector<std::string> lines_;
    std::vector<std::string> errors_;
    std::deque<std::string> input_;
    int linesRead_ = 0;
};

} // namespace corvalis
