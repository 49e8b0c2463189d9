#include "ProbeSession.h"

#include <algorithm>
#include <fstream>

namespace corvalis::uitest {
namespace {

// A file of the temporary folder, where the tests leave what they write.
std::string NewEventsFile()
{
    static int count = 0;
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    return folder + ("uiprobe-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++count) + ".events");
}

} // namespace

TProbeSession::TProbeSession(const std::string& mode, const std::string& arguments)
    : eventsFile_(NewEventsFile()), program_("\"" + uidriver::ProgramBesideThisOne("uiprobe.exe") + "\" " + mode +
                                             " \"" + eventsFile_ + "\" " + arguments)
{
}

TProbeSession::~TProbeSession()
{
    ::DeleteFileA(eventsFile_.c_str());
}

HWND TProbeSession::WaitForWindow(const char* className, const char* caption)
{
    return uidriver::WaitForWindow(ProcessId(), className, caption);
}

std::vector<std::string> TProbeSession::Events() const
{
    std::ifstream file(eventsFile_, std::ios::binary);
    std::vector<std::string> events;
    std::string line;
    while (std::getline(file, line)) {
        // A line being written has no line end yet.
        if (line.empty() || line.back() != '\r')
            break;
        line.pop_back();
        events.push_back(line);
    }
    return events;
}

void TProbeSession::WaitForEvent(const std::string& event)
{
    uidriver::WaitUntil(
        [&] {
            const auto events = Events();
            return std::find(events.begin(), events.end(), event) != events.end();
        },
        "the event \"" + event + "\"");
}

} // namespace corvalis::uitest
