#include <gtest/gtest.h>

#include "ui/ErrorBoxText.h"

namespace corvalis::ui {
namespace {

TEST(ErrorBoxTextTest, AddsAFullStopUnlessTheTextEndsInOneOrBelow)
{
    const std::pair<std::string, std::string> cases[] = {
        {"File not exists:\"data.arc\". Invalid installer package.",
         "File not exists:\"data.arc\". Invalid installer package."},
        {"Bad version string", "Bad version string."},
        {"Error extracting component files from archive.\rAccess denied",
         "Error extracting component files from archive.\rAccess denied."},
        {"Ends in a blank ", "Ends in a blank "},
        {"Ends in a line feed\n", "Ends in a line feed\n"},
        {"Asks?", "Asks?."}, // '?' is above '.'
        {"Ends in a comma,", "Ends in a comma,"},
        {"", "."},
    };
    for (const auto& [message, expected] : cases)
        EXPECT_EQ(ErrorBoxText(message), expected) << message;
}

} // namespace
} // namespace corvalis::ui
