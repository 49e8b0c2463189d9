#include "platform/win32/Win32Locale.h"

#include <vector>

#include "platform/DateTime.h"
#include "platform/win32/WindowsSupport.h"

namespace corvalis {
namespace {

std::string LocaleText(LCID locale, LCTYPE type)
{
    char buffer[128] = {};
    const int length = ::GetLocaleInfoA(locale, type, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length - 1)) : std::string();
}

} // namespace

std::u16string Win32Locale::AnsiToWide(const std::string& text) const
{
    const std::wstring wide = win32::Widen(text);
    return std::u16string(wide.begin(), wide.end());
}

std::string Win32Locale::WideToAnsi(const std::u16string& text) const
{
    return win32::Narrow(std::wstring(text.begin(), text.end()));
}

std::string Win32Locale::OemToAnsi(const std::string& text) const
{
    std::string ansi = text;
    if (!ansi.empty())
        ::OemToCharBuffA(ansi.c_str(), ansi.data(), static_cast<DWORD>(ansi.size()));
    return ansi;
}

bool Win32Locale::SameText(const std::string& a, const std::string& b) const
{
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                            static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string Win32Locale::UpperCase(const std::string& text) const
{
    std::string upper = text;
    if (!upper.empty())
        ::CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

std::string Win32Locale::LanguageAbbreviation() const
{
    return LocaleText(::GetThreadLocale(), LOCALE_SABBREVLANGNAME);
}

std::string Win32Locale::TimeSeparator() const
{
    return LocaleText(LOCALE_USER_DEFAULT, LOCALE_STIME);
}

double Win32Locale::Now() const
{
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return EncodeDateTime({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds});
}

std::string Win32Locale::ErrorText(uint32_t code) const
{
    char* buffer = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length > 0 ? std::string(buffer, length) : std::string();
    ::LocalFree(buffer);
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

std::optional<std::string> Win32Locale::LoadStringResource(const std::string& modulePath, uint32_t id,
                                                           uint32_t maxChars) const
{
    win32::ScopedModule module(::LoadLibraryExA(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return std::nullopt;
    std::vector<char> buffer(maxChars + 1, '\0');
    const int length = ::LoadStringA(module.Get(), id, buffer.data(), static_cast<int>(buffer.size()));
    if (length <= 0)
        return std::nullopt;
    return std::string(buffer.data(), static_cast<size_t>(length));
}

} // namespace corvalis
