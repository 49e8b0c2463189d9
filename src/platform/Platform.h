#pragma once

#include <string>

#include "platform/Console.h"
#include "platform/Files.h"
#include "platform/Locale.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/Xml.h"

namespace corvalis {

// The operating-system services, handed to every object that needs one of them.
struct Platform {
    IRegistry& registry;
    IFileSystem& files;
    IProcesses& processes;
    IShell& shell;
    IConsole& console;
    ILocale& locale;
    IXml& xml;
};

// Why the last file operation that failed did so, in the user's language.
inline std::string LastFileErrorText(const Platform& platform)
{
    return platform.locale.ErrorText(platform.files.LastError());
}

} // namespace corvalis
