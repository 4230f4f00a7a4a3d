// Plain text files in and out of the editor: in the legacy note's code page
// (936) without header or encoding mark, as the program has always read
// and written them, and a note that keeps every character written as UTF-8
// with a byte order mark, so that nothing is lost there either.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "crypto/note_format.h"
#include "crypto/wipe.h"

// What a text file the editor reads is taken to be in.
inline constexpr TextEncoding kTextFileEncoding = TextEncoding::LegacyCodePage;

// The file's bytes. A file that is missing, read-only, open in another
// program or too large to read into memory is reported; the result is then
// empty.
std::optional<SecretString> ReadTextFile(const std::wstring& path);
// The encoding of a text file's bytes: UTF-8 when they start with its byte
// order mark, which is then dropped from text, else kTextFileEncoding.
TextEncoding DropEncodingMark(SecretString& text);
// Writes text (in encoding, which for UTF-8 gets its byte order mark first)
// into a new file beside path and renames it over path once it is whole;
// FALSE, after telling the user, when the file cannot be made, written or
// put in place, or path is read-only. The file at path is then as it was.
BOOL WriteTextFile(const SecretString& text, TextEncoding encoding, const std::wstring& path);
