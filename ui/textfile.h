// Plain text files in and out of the editor, in the legacy note's code page
// (936) without header or encoding mark, as the program has always read
// and written them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "crypto/note_format.h"
#include "crypto/wipe.h"

inline constexpr TextEncoding kTextFileEncoding = TextEncoding::LegacyCodePage;

// The file's bytes. A file that is missing, read-only, open in another
// program or too large to read into memory is reported; the result is then
// empty.
std::optional<SecretString> ReadTextFile(const std::wstring& path);
// Writes text into a new file beside path and renames it
// over path once it is whole; FALSE, after telling the user, when the file
// cannot be made, written or put in place, or path is read-only. The file at
// path is then as it was.
BOOL WriteTextFile(const SecretString& text, const std::wstring& path);
