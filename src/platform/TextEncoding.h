#pragma once

#include <string>

namespace corvalis {

// The program holds its text as UTF-8 in std::string and converts only where it meets
// Windows, a file format or a tool. A name Windows hands over may hold a lone surrogate,
// which no Unicode text can: it is kept as the three bytes UTF-8 would give its code point,
// so that every name comes back to Windows exactly as it came. Other invalid UTF-8 bytes
// become U+FFFD.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);
// Strictly UTF-8: no lone surrogates either.
bool IsValidUtf8(const std::string& text);
// UTF-16 as bytes, little or big end first.
std::u16string Utf16FromBytes(const std::string& bytes, bool bigEndian);
std::string Utf16ToBytes(const std::u16string& text, bool bigEndian);

} // namespace corvalis
