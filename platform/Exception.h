#pragma once
// The one root of the program's exceptions: every error carries its message text.
#include <stdexcept>
#include <string>

namespace platform {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A text that is not a number, date or value of the kind asked for.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A file that could not be written or closed after it was opened.
class EInOutError : public Exception {
public:
    EInOutError(const std::string& message, int errorCode) : Exception(message), ErrorCode(errorCode) {}
    int ErrorCode;
};

}  // namespace platform
