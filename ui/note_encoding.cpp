#include "ui/note_encoding.h"

#include "ui/uitext.h"

UINT CodePageOf(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::LegacyCodePage:
        break;
    case TextEncoding::Utf8:
        return CP_UTF8;
    }
    return kLegacyNoteCodePage;
}

TextEncoding EncodingFor(std::string_view cipher) {
    const NoteChoice* choice = FindNoteChoice(cipher);
    return (choice != nullptr ? *choice->format : DefaultNoteFormat()).Encoding();
}

SecretString PasswordFor(const NoteFormat& format, std::string_view utf8) {
    if (format.Encoding() == TextEncoding::Utf8)
        return SecretString(utf8);
    return StoredForm(format.Encoding(), WideOfUtf8(utf8));
}
