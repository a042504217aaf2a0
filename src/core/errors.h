#pragma once
// Errors raised the way the runtime raises them.  Each carries the text the
// user sees; the application's general error handler shows it.

#include <stdexcept>
#include <string>
#include <string_view>

namespace core {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not a whole number.
class ConvertError : public Error {
public:
    explicit ConvertError(std::string_view text);
};

// 32-bit signed arithmetic that does not fit.
class OverflowError : public Error {
public:
    OverflowError();
};

}  // namespace core
