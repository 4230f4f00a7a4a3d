#include "ui/note_encoding.h"

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
