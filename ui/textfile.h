// Plain text files in and out of the text view, streamed in the ANSI code
// page without header or encoding mark.
#pragma once

#include <string>

#include "framework/richedit.h"

// Replaces the view's text with the file's bytes. A file that is missing,
// read-only or open in another program is reported and leaves the view as
// it was; the result is then FALSE.
BOOL LoadTextFile(Casement::CRichEdit& view, const std::string& path);
// Writes the view's whole text, replacing the file's contents; FALSE, after
// telling the user, when the file cannot be opened.
BOOL WriteTextFile(Casement::CRichEdit& view, const std::string& path);
