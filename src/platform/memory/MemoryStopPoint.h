#pragma once

#include <string>
#include <vector>

namespace corvalis {

// The changes of the memory services, counted: after the number of changes set, none
// reaches the machine any more, as when the process stopped between two calls. The program
// runs on to its end, changing nothing: the machine is left as the stopped process left it.
class MemoryStopPoint {
public:
    void StopAfter(int changes)
    {
        remaining_ = changes;
        stopped_ = false;
    }
    // The process started again: every change happens.
    void Clear() { StopAfter(-1); }
    bool Stopped() const { return stopped_; }

    // Every change made, in order.
    std::vector<std::string> journal;

    // Whether the change of what is named may happen: a file's or folder's path, or a key's path
    // after its root, followed by "\@" and the value's name for a value.
    bool Change(const std::string& what)
    {
        if (stopped_)
            return false;
        journal.push_back(what);
        if (remaining_ == 0) {
            stopped_ = true;
            return false;
        }
        if (remaining_ > 0)
            --remaining_;
        return true;
    }

private:
    int remaining_ = -1;
    bool stopped_ = false;
};

} // namespace corvalis
