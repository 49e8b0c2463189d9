#pragma once

#include <string>

namespace corvalis {

// Conversions between Unicode encodings; invalid UTF-8 bytes become U+FFFD.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);
bool IsValidUtf8(const std::string& text);
// UTF-16 as bytes, little or big end first.
std::u16string Utf16FromBytes(const std::string& bytes, bool bigEndian);
std::string Utf16ToBytes(const std::u16string& text, bool bigEndian);

} // namespace corvalis
