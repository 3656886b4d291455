#pragma once
// The error type every layer raises. Its text is in the ANSI code page (cp1251),
// as every text of the program model is.
#include <stdexcept>
#include <string>

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text) : std::runtime_error(text) {}
    std::string Text() const { return what(); }
};

// The text of the standard error display: a full stop is appended when the code
// of the last character is above that of "." ("?" and letters get one).
std::string ErrorDisplayText(const std::string& text);
