#pragma once

#include "platform/Platform.h"
#include "platform/win32/MsXml.h"
#include "platform/win32/Win32Console.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/WindowsSupport.h"

namespace corvalis {

// The real services; create it on the thread that uses them (they need COM there).
struct Win32Platform {
    win32::ComApartment com;
    Win32Registry registry;
    Win32Files files;
    Win32Processes processes;
    Win32Shell shell;
    Win32Console console;
    Win32Locale locale;
    MsXml xml;
    Platform platform{registry, files, processes, shell, console, locale, xml};

    Win32Platform() = default;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;
};

} // namespace corvalis
