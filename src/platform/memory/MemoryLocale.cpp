#include "platform/memory/MemoryLocale.h"

#include <algorithm>

#include "platform/PathText.h"

namespace corvalis {
namespace {

// Code page 1252, bytes 0x80 to 0x9F; the rest of the page equals Unicode.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Code page 437: the letters and signs of 0x80 to 0xAF and of 0xE0 to 0xFF. Its box-drawing
// characters, 0xB0 to 0xDF, have no equivalent in code page 1252.
// clang-format off
constexpr char16_t kCp437Letters[48] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB};
constexpr char16_t kCp437Signs[32] = {
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};
// clang-format on

char16_t AnsiToUnicode(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
}

char UnicodeToAnsi(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == u)
            return static_cast<char>(0x80 + i);
    return '?';
}

char UpperAnsi(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
        return static_cast<char>(u - 0x20);
    switch (u) {
    case 0x9A: return static_cast<char>(0x8A);
    case 0x9C: return static_cast<char>(0x8C);
    case 0x9E: return static_cast<char>(0x8E);
    case 0xFF: return static_cast<char>(0x9F);
    default: return c;
    }
}

} // namespace

std::u16string MemoryLocale::AnsiToWide(const std::string& text) const
{
    std::u16string wide;
    for (char c : text)
        wide += AnsiToUnicode(static_cast<unsigned char>(c));
    return wide;
}

std::string MemoryLocale::WideToAnsi(const std::u16string& text) const
{
    std::string ansi;
    for (char16_t u : text)
        ansi += UnicodeToAnsi(u);
    return ansi;
}

std::string MemoryLocale::OemToAnsi(const std::string& text) const
{
    std::string ansi;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80)
            ansi += c;
        else if (u < 0xB0)
            ansi += UnicodeToAnsi(kCp437Letters[u - 0x80]);
        else if (u >= 0xE0)
            ansi += UnicodeToAnsi(kCp437Signs[u - 0xE0]);
        else
            ansi += '?';
    }
    return ansi;
}

bool MemoryLocale::SameText(const std::string& a, const std::string& b) const
{
    return UpperCase(a) == UpperCase(b);
}

std::string MemoryLocale::UpperCase(const std::string& text) const
{
    std::string upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(), UpperAnsi);
    return upper;
}

std::string MemoryLocale::ErrorText(uint32_t code) const
{
    static const std::map<uint32_t, std::string> texts = {
        {2, "The system cannot find the file specified"},
        {3, "The system cannot find the path specified"},
        {5, "Access is denied"},
        {32, "The process cannot access the file because it is being used by another process"},
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
