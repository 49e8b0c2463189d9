#include "platform/memory/MemoryLocale.h"

#include <algorithm>


namespace corvalis {
namespace {

// Code page 1252, bytes 0x80 to 0x9F; the rest of the page equals Unicode.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Code page 437, bytes 0x80 to 0xFF.
// clang-format off
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};
// clang-format on

char16_t AnsiToUnicode(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
}

std::optional<char> UnicodeToAnsi(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == u)
            return static_cast<char>(0x80 + i);
    return std::nullopt;
}

// The capital of a Latin letter (Latin-1 and Latin Extended-A); other characters as they are.
char16_t Upper(char16_t u)
{
    const auto evenIsCapital = [](char16_t c) { return static_cast<char16_t>(c & ~1u); };
    const auto oddIsCapital = [](char16_t c) { return static_cast<char16_t>(c % 2 == 0 ? c - 1 : c); };
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
        return static_cast<char16_t>(u - 0x20);
    if (u == 0xFF)
        return 0x178;
    if ((u >= 0x100 && u <= 0x12F) || (u >= 0x132 && u <= 0x137) || (u >= 0x14A && u <= 0x177))
        return evenIsCapital(u);
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E))
        return oddIsCapital(u);
    return u;
}

} // namespace

std::u16string MemoryLocale::AnsiToWide(const std::string& text) const
{
    std::u16string wide;
    for (char c : text)
        wide += AnsiToUnicode(static_cast<unsigned char>(c));
    return wide;
}

std::optional<std::string> MemoryLocale::WideToAnsi(const std::u16string& text) const
{
    std::string ansi;
    for (char16_t u : text) {
        const std::optional<char> c = UnicodeToAnsi(u);
        if (!c)
            return std::nullopt;
        ansi += *c;
    }
    return ansi;
}

std::u16string MemoryLocale::OemToWide(const std::string& text) const
{
    std::u16string wide;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        wide += u < 0x80 ? u : kCp437High[u - 0x80];
    }
    return wide;
}

bool MemoryLocale::SameText(const std::string& a, const std::string& b) const
{
    return UpperCase(a) == UpperCase(b);
}

std::string MemoryLocale::UpperCase(const std::string& text) const
{
    std::u16string upper = Utf8ToUtf16(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), Upper);
    return Utf16ToUtf8(upper);
}

std::string MemoryLocale::ErrorText(uint32_t code) const
{
    static const std::map<uint32_t, std::string> texts = {
        {2, "The system cannot find the file specified"},
        {3, "The system cannot find the path specified"},
        {5, "Access is denied"},
        {32, "The process cannot access the file because it is being used by another process"},
        {112, "There is not enough space on the disk"},
        {145, "The directory is not empty"},
        {183, "Cannot create a file when that file already exists"},
    };
    auto it = texts.find(code);
    return it == texts.end() ? std::string() : it->second;
}

std::optional<std::string> MemoryLocale::LoadStringResource(const std::string& modulePath, uint32_t id,
                                                            uint32_t maxChars) const
{
    auto it = strings_.find({UpperCase(modulePath), id});
    if (it == strings_.end() || it->second.empty())
        return std::nullopt;
    return it->second.substr(0, maxChars);
}

void MemoryLocale::AddStringResource(const std::string& modulePath, uint32_t id, const std::string& text)
{
    strings_[{UpperCase(modulePath), id}] = text;
}

} // namespace corvalis
