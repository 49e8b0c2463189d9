#pragma once

#include <string>

namespace corvalis {

// Conversions between Unicode encodings; invalid UTF-8 bytes become U+FFFD.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);
bool IsValidUtf8(const std::string& text);

} // namespace corvalis
