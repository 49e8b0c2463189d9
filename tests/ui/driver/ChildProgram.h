#pragma once

#include "driver/Wait.h"

#include <string>

namespace corvalis::uidriver {

// A program the test starts; one still running when the object goes is ended.
class TChildProgram {
public:
    explicit TChildProgram(const std::string& commandLine);
    ~TChildProgram();
    TChildProgram(const TChildProgram&) = delete;
    TChildProgram& operator=(const TChildProgram&) = delete;

    DWORD ProcessId() const { return processId_; }
    bool Running() const;
    // Throws when the program has not ended by then.
    DWORD WaitForExit(Timeout timeout = kDefaultTimeout);

private:
    win32::ScopedKernelHandle process_;
    DWORD processId_ = 0;
};

// A program beside the running one.
std::string ProgramBesideThisOne(const std::string& fileName);

} // namespace corvalis::uidriver
