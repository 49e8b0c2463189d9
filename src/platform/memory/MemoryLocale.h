#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/Locale.h"

namespace corvalis {

// A Western European system: ANSI code page 1252, OEM code page 437, English names. Text
// outside the code pages (Polish, Greek, Chinese ...) is what tools and 8-bit files lose.
class MemoryLocale : public ILocale {
public:
    std::u16string AnsiToWide(const std::string& text) const override;
    std::optional<std::string> WideToAnsi(const std::u16string& text) const override;
    std::u16string OemToWide(const std::string& text) const override;
    bool SameText(const std::string& a, const std::string& b) const override;
    std::string UpperCase(const std::string& text) const override;
    std::string LanguageAbbreviation() const override { return languageAbbreviation_; }
    std::string TimeSeparator() const override { return timeSeparator_; }
    double Now() const override { return now_; }
    std::string ErrorText(uint32_t code) const override;
    std::optional<std::string> LoadStringResource(const std::string& modulePath, uint32_t id,
                                                  uint32_t maxChars) const override;

    void SetLanguageAbbreviation(const std::string& abbreviation) { languageAbbreviation_ = abbreviation; }
    void SetTimeSeparator(const std::string& separator) { timeSeparator_ = separator; }
    void SetNow(double now) { now_ = now; }
    void AddStringResource(const std::string& modulePath, uint32_t id, const std::string& text);

private:
    std::string languageAbbreviation_ = "ENU";
    std::string timeSeparator_ = ":";
    double now_ = 39216.668416; // 2007-05-14 16:02:31.141
    std::map<std::pair<std::string, uint32_t>, std::string> strings_;
};

} // namespace corvalis
