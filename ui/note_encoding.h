// How the editor converts a note's text between the view's UTF-16 and the
// encoding the note's format stores it in.
#pragma once

#include <windows.h>

#include <string_view>

#include "crypto/note_format.h"
#include "crypto/wipe.h"

// The code page the system converts text in encoding with.
UINT CodePageOf(TextEncoding encoding);

// The encoding a text sealed with the choice named cipher is stored in:
// that of the choice's format, or of the default format while cipher names
// none (a new note is given its choice only as it is saved).
TextEncoding EncodingFor(std::string_view cipher);

// A password as the session keeps it (UTF-8, exactly what was typed) in the
// bytes format derives its key from; a character code page 936 cannot hold
// becomes "?" there, which the new-password dialog refuses beforehand.
SecretString PasswordFor(const NoteFormat& format, std::string_view utf8);
