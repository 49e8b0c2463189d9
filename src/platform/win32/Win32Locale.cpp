#include "platform/win32/Win32Locale.h"

#include <vector>

#include "platform/DateTime.h"
#include "platform/win32/WindowsSupport.h"

namespace corvalis {
namespace {

std::string LocaleText(LCID locale, LCTYPE type)
{
    wchar_t buffer[128] = {};
    const int length = ::GetLocaleInfoW(locale, type, buffer, 128);
    return length > 0 ? win32::Narrow(std::wstring(buffer, static_cast<size_t>(length - 1))) : std::string();
}

std::u16string ToU16(const std::wstring& text)
{
    return std::u16string(text.begin(), text.end());
}

} // namespace

std::u16string Win32Locale::AnsiToWide(const std::string& text) const
{
    return ToU16(win32::FromCodePage(CP_ACP, text));
}

std::optional<std::string> Win32Locale::WideToAnsi(const std::u16string& text) const
{
    return win32::ToCodePage(CP_ACP, std::wstring(text.begin(), text.end()));
}

std::u16string Win32Locale::OemToWide(const std::string& text) const
{
    return ToU16(win32::FromCodePage(CP_OEMCP, text));
}

bool Win32Locale::SameText(const std::string& a, const std::string& b) const
{
    const std::wstring first = win32::Widen(a);
    const std::wstring second = win32::Widen(b);
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, first.data(), static_cast<int>(first.size()),
                            second.data(), static_cast<int>(second.size())) == CSTR_EQUAL;
}

std::string Win32Locale::UpperCase(const std::string& text) const
{
    std::wstring upper = win32::Widen(text);
    if (!upper.empty())
        ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return win32::Narrow(upper);
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
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length > 0 ? win32::Narrow(std::wstring(buffer, length)) : std::string();
    ::LocalFree(buffer);
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

std::optional<std::string> Win32Locale::LoadStringResource(const std::string& modulePath, uint32_t id,
                                                           uint32_t maxChars) const
{
    win32::ScopedModule module(::LoadLibraryExW(win32::Widen(modulePath).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return std::nullopt;
    std::vector<wchar_t> buffer(maxChars + 1, L'\0');
    const int length = ::LoadStringW(module.Get(), id, buffer.data(), static_cast<int>(buffer.size()));
    if (length <= 0)
        return std::nullopt;
    return win32::Narrow(std::wstring(buffer.data(), static_cast<size_t>(length)));
}

} // namespace corvalis
