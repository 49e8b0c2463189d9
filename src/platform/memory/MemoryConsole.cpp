#include "platform/memory/MemoryConsole.h"

namespace corvalis {

std::string MemoryConsole::ReadLine()
{
    ++linesRead_;
    if (input_.empty())
        return {};
    std::string line = input_.front();
    input_.pop_front();
    return line;
}

} // namespace corvalis
