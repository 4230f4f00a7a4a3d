// Passwords as a note uses them: the code page 936 bytes of what was typed,
// never empty and at most as long as the program's password fields allow.
#pragma once

#include <stdexcept>

#include "cli/password_source.h"
#include "crypto/wipe.h"

// A password or text that was read but cannot be used.
class InputRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The program's password fields hold at most this many characters.
inline constexpr std::size_t kPasswordCharacterLimit = 512;

// The password asked with prompt, as note bytes. Throws InputRefused for an
// empty password, one beyond the limit, or one code page 936 cannot hold.
SecretString AskPassword(PasswordSource& passwords, const char* prompt);
// A new password, asked twice; throws InputRefused when the two differ.
SecretString AskNewPassword(PasswordSource& passwords);
