#pragma once

#include "platform/Platform.h"
#include "platform/memory/MemoryConsole.h"
#include "platform/memory/MemoryFiles.h"
#include "platform/memory/MemoryLocale.h"
#include "platform/memory/MemoryProcesses.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemoryShell.h"

namespace corvalis {

// Every service in memory, for tests: a fresh machine with one user.
struct MemoryPlatform {
    // Counts the changes of the registry and the files.
    MemoryStopPoint stopPoint;
    MemoryRegistry registry;
    MemoryFiles files;
    MemoryProcesses processes;
    MemoryShell shell{files};
    MemoryConsole console;
    MemoryLocale locale;
    std::unique_ptr<IXml> xml = MakeDocumentXml();
    Platform platform{registry, files, processes, shell, console, locale, *xml};

    MemoryPlatform()
    {
        registry.SetStopPoint(&stopPoint);
        files.SetStopPoint(&stopPoint);
    }
    MemoryPlatform(const MemoryPlatform&) = delete;
    MemoryPlatform& operator=(const MemoryPlatform&) = delete;
};

} // namespace corvalis
