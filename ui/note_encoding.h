// How the editor converts a note's text between the view's UTF-16 and the
// encoding the note's format stores it in.
#pragma once

#include <windows.h>

#include <string_view>

#include "crypto/note_format.h"

// The code page the system converts text in encoding with.
UINT CodePageOf(TextEncoding encoding);

// The encoding a text sealed with the choice named cipher is stored in:
// that of the choice's format, or of the default format while cipher names
// none (a new note is given its choice only as it is saved).
TextEncoding EncodingFor(std::string_view cipher);
