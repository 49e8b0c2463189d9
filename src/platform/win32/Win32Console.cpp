#include "platform/win32/Win32Console.h"

#include "platform/win32/WindowsSupport.h"

namespace corvalis {

void Win32Console::Open()
{
    if (given_)
        return;
    input_ = ::GetStdHandle(STD_INPUT_HANDLE);
    output_ = ::GetStdHandle(STD_OUTPUT_HANDLE);
    // A GUI program started from a shell with redirected handles writes there; started
    // from Explorer it has none and gets a console window of its own.
    if (output_ != nullptr && output_ != INVALID_HANDLE_VALUE && ::GetFileType(output_) != FILE_TYPE_UNKNOWN)
        return;
    ::AllocConsole();
    input_ = ::CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    output_ = ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
}

void Win32Console::WriteLine(const std::string& line)
{
    const std::string text = line + "\r\n";
    DWORD written = 0;
    ::WriteFile(output_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string Win32Console::ReadLine()
{
    std::string line;
    char c;
    DWORD read = 0;
    while (::ReadFile(input_, &c, 1, &read, nullptr) && read == 1 && c != '\n')
        if (c != '\r')
            line += c;
    return line;
}

void Win32Console::Exit(int exitCode)
{
    ::ExitProcess(static_cast<UINT>(exitCode));
}

} // namespace corvalis
