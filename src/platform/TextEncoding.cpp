#include "platform/TextEncoding.h"

namespace corvalis {
namespace {

bool IsSurrogate(long code)
{
    return code >= 0xD800 && code <= 0xDFFF;
}

// Decodes the code point at i and moves i past it; -1 for an invalid sequence. A surrogate
// code point counts as valid only when asked for.
long DecodeUtf8(const std::string& text, size_t& i, bool surrogates)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) {
        ++i;
        return -1;
    }
    long code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return -1;
        }
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    i += length;
    if (code < kSmallest[length] || code > 0x10FFFF || (IsSurrogate(code) && !surrogates))
        return -1;
    return code;
}

} // namespace

std::u16string Utf8ToUtf16(const std::string& text)
{
    std::u16string wide;
    for (size_t i = 0; i < text.size();) {
        long code = DecodeUtf8(text, i, true);
        if (code < 0)
            code = 0xFFFD;
        if (code >= 0x10000) {
            code -= 0x10000;
            wide += static_cast<char16_t>(0xD800 + (code >> 10));
            wide += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            wide += static_cast<char16_t>(code);
        }
    }
    return wide;
}

std::string Utf16ToUtf8(const std::u16string& text)
{
    std::string utf8;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned long code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (code >> 12));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (code >> 18));
            utf8 += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

bool IsValidUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();)
        if (DecodeUtf8(text, i, false) < 0)
            return false;
    return true;
}

std::u16string Utf16FromBytes(const std::string& bytes, bool bigEndian)
{
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return text;
}

std::string Utf16ToBytes(const std::u16string& text, bool bigEndian)
{
    std::string bytes;
    for (char16_t c : text) {
        const char high = static_cast<char>(c >> 8);
        const char low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

} // namespace corvalis
