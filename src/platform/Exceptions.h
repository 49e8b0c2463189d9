#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace corvalis {

class ILocale;

// Every failure the installer reports carries the text the user reads, in UTF-8.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// An operating-system error, worded as "System Error.  Code: %d.\r\n%s".
class EOSError : public Exception {
public:
    EOSError(uint32_t code, const std::string& message) : Exception(message), code_(code) {}
    uint32_t Code() const { return code_; }

private:
    uint32_t code_;
};

// The error for an OS error code; code 0 means the system gave none.
EOSError OSError(uint32_t code, const ILocale& locale);

} // namespace corvalis
