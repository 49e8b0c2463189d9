#include "platform/win32/WindowsSupport.h"

#include "platform/TextEncoding.h"

namespace corvalis::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

std::wstring Widen(const std::string& utf8)
{
    const std::u16string wide = Utf8ToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(const std::wstring& wide)
{
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

std::string Narrow(const wchar_t* wide)
{
    return wide ? Narrow(std::wstring(wide)) : std::string();
}

std::wstring FromCodePage(UINT codePage, const std::string& text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::optional<std::string> ToCodePage(UINT codePage, const std::wstring& text, bool replace)
{
    if (text.empty())
        return std::string();
    // A system whose code page is UTF-8 holds every character, and refuses the flags below.
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && ::GetACP() == CP_UTF8) ||
                      (codePage == CP_OEMCP && ::GetOEMCP() == CP_UTF8);
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lost = FALSE;
    BOOL* lostCharacter = utf8 ? nullptr : &lost;
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, lostCharacter);
    std::string bytes(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, flags, text.data(), size, bytes.data(), length, nullptr, lostCharacter);
    if (length == 0 || (lost && !replace))
        return std::nullopt;
    return bytes;
}

} // namespace corvalis::win32
