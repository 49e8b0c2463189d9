// Stored path lists as an IDE's registry or EnvOptions.proj may hold them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ide/DelphiData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace corvalis;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TStringList list = PathListFromString(text);
    // Entries never hold a separator, and there is at most one entry per separator and one more.
    for (const std::string& entry : list)
        if (entry.find(';') != std::string::npos)
            std::abort();
    if (list.size() > static_cast<size_t>(std::count(text.begin(), text.end(), ';')) + 1)
        std::abort();
    PathListToString(list);
    return 0;
}
