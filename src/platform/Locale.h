#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/TextEncoding.h"

namespace corvalis {

// The system's code pages and the user's locale. The program's own text is UTF-8; "Ansi"
// text is 8-bit in the system code page, as old tools and file formats read and write it;
// "Oem" text is 8-bit in the code page of console tools; wide text is UTF-16.
class ILocale {
public:
    virtual ~ILocale() = default;

    virtual std::u16string AnsiToWide(const std::string& text) const = 0;
    // nullopt when the code page lacks a character of the text: nothing is ever replaced
    // by a look-alike or a question mark.
    virtual std::optional<std::string> WideToAnsi(const std::u16string& text) const = 0;
    virtual std::u16string OemToWide(const std::string& text) const = 0;

    std::string AnsiToUtf8(const std::string& text) const { return Utf16ToUtf8(AnsiToWide(text)); }
    std::optional<std::string> Utf8ToAnsi(const std::string& text) const { return WideToAnsi(Utf8ToUtf16(text)); }

    // Without regard to case, in the user's locale.
    virtual bool SameText(const std::string& a, const std::string& b) const = 0;
    virtual std::string UpperCase(const std::string& text) const = 0;

    // The thread locale's three-letter language abbreviation, e.g. "ENU".
    virtual std::string LanguageAbbreviation() const = 0;
    virtual std::string TimeSeparator() const = 0;
    // Local date and time as days since 1899-12-30, the fraction being the time of day.
    virtual double Now() const = 0;

    // The system's text for an error code, without trailing blanks and full stops.
    virtual std::string ErrorText(uint32_t code) const = 0;
    // A string resource of a module loaded as a data file; nullopt when the module cannot
    // be loaded or holds no such string.
    virtual std::optional<std::string> LoadStringResource(const std::string& modulePath, uint32_t id,
                                                          uint32_t maxChars) const = 0;

    bool StartsText(const std::string& prefix, const std::string& text) const
    {
        return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
    }
};

} // namespace corvalis
