#pragma once

#include <string>

namespace corvalis {

// A product version read from text: up to four groups of digits separated by ".", then
// the words of the edition. Only DisplayText is compared, stored and shown.
class TVersion {
public:
    // Raises "Bad version string" when the text is blank. Text that does not parse gives
    // empty fields.
    explicit TVersion(const std::string& text);

    std::string Major;
    std::string Minor;
    std::string Release;
    std::string Build;
    std::string EditionText;
    bool WithSources = false;

    std::string NumberText() const;
    std::string EditionName() const;
    std::string DisplayText() const;
};

} // namespace corvalis
