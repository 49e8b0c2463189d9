#include "platform/win32/Win32Console.h"

#include "platform/win32/WindowsSupport.h"

namespace corvalis {
namespace {

bool Usable(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

HANDLE OpenConsoleOutput()
{
    return ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
}

// A console shows every character; a redirection gets the system code page, as it always
// has, a character the code page lacks becoming "?".
void Write(HANDLE handle, const std::string& line)
{
    const std::wstring text = win32::Widen(line + "\r\n");
    DWORD written = 0;
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = win32::ToCodePage(CP_ACP, text, true).value_or("");
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

void Win32Console::Open()
{
    if (given_)
        return;
    input_ = ::GetStdHandle(STD_INPUT_HANDLE);
    output_ = ::GetStdHandle(STD_OUTPUT_HANDLE);
    // A GUI program started from a shell with redirected handles writes there; started
    // from Explorer it has none and gets a console window of its own.
    if (Usable(output_))
        return;
    ::AllocConsole();
    input_ = ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    output_ = OpenConsoleOutput();
}

bool Win32Console::Attach()
{
    if (given_)
        return true;
    output_ = ::GetStdHandle(STD_OUTPUT_HANDLE);
    error_ = ::GetStdHandle(STD_ERROR_HANDLE);
    if (Usable(output_))
        return true;
    // A GUI program started from a command prompt has no handles of its own, but may write
    // to the prompt's console.
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    output_ = OpenConsoleOutput();
    if (!Usable(error_))
        error_ = output_;
    return Usable(output_);
}

void Win32Console::WriteLine(const std::string& line)
{
    Write(output_, line);
}

void Win32Console::WriteError(const std::string& line)
{
    if (error_ == nullptr)
        error_ = ::GetStdHandle(STD_ERROR_HANDLE);
    if (Usable(error_))
        Write(error_, line);
}

std::string Win32Console::ReadLine()
{
    std::string line;
    char c;
    DWORD read = 0;
    while (::ReadFile(input_, &c, 1, &read, nullptr) && read == 1 && c != '\n')
        if (c != '\r')
            line += c;
    return win32::Narrow(win32::FromCodePage(CP_ACP, line));
}

void Win32Console::Exit(int exitCode)
{
    ::ExitProcess(static_cast<UINT>(exitCode));
}

} // namespace corvalis
