// Pieces the password sources share across platforms.
#pragma once

#include "cli/password_source.h"

// Reads one line from descriptor a byte at a time, so that nothing after its
// line end is consumed and the next line stays for whoever reads next.
// The line end ("\n" or "\r\n") is stripped; a last line without one counts.
// Returns false when the input ends before the line's first byte; throws
// PasswordInputError when reading fails.
bool ReadPasswordLine(int descriptor, SecretString& line);

// Throws the error for a process that has no terminal to ask on.
[[noreturn]] void ThrowNoTerminal();
