#pragma once

#include "platform/Locale.h"

namespace corvalis {

class Win32Locale : public ILocale {
public:
    std::u16string AnsiToWide(const std::string& text) const override;
    std::optional<std::string> WideToAnsi(const std::u16string& text) const override;
    std::u16string OemToWide(const std::string& text) const override;
    bool SameText(const std::string& a, const std::string& b) const override;
    std::string UpperCase(const std::string& text) const override;
    std::string LanguageAbbreviation() const override;
    std::string TimeSeparator() const override;
    double Now() const override;
    std::string ErrorText(uint32_t code) const override;
    std::optional<std::string> LoadStringResource(const std::string& modulePath, uint32_t id,
                                                  uint32_t maxChars) const override;
};

} // namespace corvalis
