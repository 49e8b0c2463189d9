#pragma once

#include "platform/Console.h"

namespace corvalis {

class Win32Console : public IConsole {
public:
    // The process's own standard handles.
    Win32Console() = default;
    // Given handles, for tests; Open then allocates nothing.
    Win32Console(void* input, void* output) : input_(input), output_(output), given_(true) {}

    void Open() override;
    bool Attach() override;
    void WriteLine(const std::string& line) override;
    void WriteError(const std::string& line) override;
    std::string ReadLine() override;
    [[noreturn]] void Exit(int exitCode) override;

private:
    void* input_ = nullptr;
    void* output_ = nullptr;
    void* error_ = nullptr;
    bool given_ = false;
};

} // namespace corvalis
