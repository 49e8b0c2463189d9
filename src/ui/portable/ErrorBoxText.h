#pragma once

#include <string>

namespace corvalis::ui {

// The text of the standard error box: the message with a full stop appended when it does
// not already end in a character at or below "." (a full stop, a blank, a line break...).
std::string ErrorBoxText(const std::string& message);

} // namespace corvalis::ui
