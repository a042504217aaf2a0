#pragma once
// Errors raised the way the runtime raises them.  Each carries the text the
// user sees; the application's general error handler shows it.

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace core {

// Holds its text in a std::string rather than deriving from
// std::runtime_error, whose copy-on-write string would bring a second string
// implementation into every program (see runtime/library_errors.cpp).
class Error : public std::exception {
public:
    explicit Error(std::string message) : message_(std::move(message)) {}
    explicit Error(const char* message) : message_(message) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
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
