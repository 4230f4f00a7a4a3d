// Where the command line's passwords come from: the terminal, read without
// echo, or the lines of a file or an inherited descriptor, one password per
// line in the order they are asked for. A password is never taken from an
// argument, where the process list would show it.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "crypto/wipe.h"

class PasswordInputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class PasswordSource {
public:
    virtual ~PasswordSource() = default;
    // The next password as UTF-8 text, without its line end. The terminal
    // shows prompt first (on the terminal itself, not on standard output).
    // Throws PasswordInputError when there is no terminal, when the input
    // ends before a line, or when it cannot be read.
    virtual SecretString Next(std::string_view prompt) = 0;
};

std::unique_ptr<PasswordSource> TerminalPasswords();
std::unique_ptr<PasswordSource> FilePasswords(const std::string& utf8Path);
std::unique_ptr<PasswordSource> DescriptorPasswords(int descriptor);
