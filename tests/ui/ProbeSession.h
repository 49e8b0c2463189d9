#pragma once

#include "driver/ChildProgram.h"
#include "driver/UiDriver.h"

#include <string>
#include <vector>

namespace corvalis::uitest {

// The probe program running in one of its modes, with the events file it writes.
class TProbeSession {
public:
    // Arguments follow the mode and the events file on the probe's command line.
    explicit TProbeSession(const std::string& mode, const std::string& arguments = {});
    ~TProbeSession();

    DWORD ProcessId() const { return program_.ProcessId(); }
    // The probe's visible top-level window of this class and caption.
    HWND WaitForWindow(const char* className, const char* caption);
    std::vector<std::string> Events() const;
    void WaitForEvent(const std::string& event);
    DWORD WaitForExit() { return program_.WaitForExit(); }

private:
    std::string eventsFile_;
    uidriver::TChildProgram program_;
};

} // namespace corvalis::uitest
