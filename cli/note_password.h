// Passwords as a note uses them: what was typed in the format's encoding
// (code page 936 bytes for a legacy note, UTF-8 as it is for a modern one),
// never empty and at most as long as the program's password fields allow.
#pragma once

#include <stdexcept>

#include "cli/password_source.h"
#include "crypto/note_format.h"
#include "crypto/wipe.h"

// A password or text that was read but cannot be used.
class InputRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The password asked with prompt, as note bytes in encoding. Throws
// InputRefused for an empty password, one beyond the limit, or one the
// encoding cannot hold.
SecretString AskPassword(PasswordSource& passwords, const char* prompt, TextEncoding encoding);
// A new password, asked twice; throws InputRefused when the two differ.
SecretString AskNewPassword(PasswordSource& passwords, TextEncoding encoding);
