#include "cli/note_password.h"

#include "cli/text_encoding.h"

namespace {

std::size_t CharacterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (const char byte : utf8) {
        if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80) ++count;
    }
    return count;
}

}  // namespace

SecretString AskPassword(PasswordSource& passwords, const char* prompt, TextEncoding encoding) {
    const SecretString typed = passwords.Next(prompt);
    if (typed.empty()) throw InputRefused("an empty password is not allowed");
    if (CharacterCount(typed.View()) > kPasswordCharacterLimit)
        throw InputRefused("a password holds at most " + std::to_string(kPasswordCharacterLimit) + " characters");
    try {
        std::string converted = Utf8ToNoteEncoding(encoding, typed.View());
        SecretString password(converted);
        WipeString(converted);
        return password;
    } catch (const EncodingError&) {
        // The error's text would name the character; a password is not shown.
        throw InputRefused(encoding == TextEncoding::Utf8 ? "the password is not valid UTF-8"
                                                          : "the password holds a character code page 936 cannot hold");
    }
}

SecretString AskNewPassword(PasswordSource& passwords, TextEncoding encoding) {
    SecretString password = AskPassword(passwords, "New password: ", encoding);
    if (AskPassword(passwords, "Repeat the new password: ", encoding) != password)
        throw InputRefused("the two new passwords differ");
    return password;
}
