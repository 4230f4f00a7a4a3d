// Which conversion a note format's text and passwords go through.
#include "cli/text_encoding.h"
#include "cli/text_encoding_checks.h"

std::string Utf8ToNoteEncoding(TextEncoding encoding, std::string_view utf8) {
    switch (encoding) {
    case TextEncoding::LegacyCodePage:
        return Utf8ToCodePage936(utf8);
    case TextEncoding::Utf8:
        CheckUtf8(utf8);
        return std::string(utf8);
    }
    throw EncodingError("a note format with an unknown text encoding");
}

std::string NoteEncodingToUtf8(TextEncoding encoding, std::string_view stored) {
    switch (encoding) {
    case TextEncoding::LegacyCodePage:
        return CodePage936ToUtf8(stored);
    case TextEncoding::Utf8:
        CheckUtf8(stored);
        return std::string(stored);
    }
    throw EncodingError("a note format with an unknown text encoding");
}
