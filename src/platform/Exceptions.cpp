#include "platform/Exceptions.h"

#include "platform/Locale.h"

namespace corvalis {

EOSError OSError(uint32_t code, const ILocale& locale)
{
    if (code == 0)
        return EOSError(0, "A call to an OS function failed");
    return EOSError(code, "System Error.  Code: " + std::to_string(code) + ".\r\n" + locale.ErrorText(code));
}

} // namespace corvalis
