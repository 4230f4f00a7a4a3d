// Filling the view with a whole note. The text is streamed in as UTF-16,
// converted piece by piece from the encoding the note is stored in, whatever
// the system's ANSI code page, with redraw off: under Wine that takes about half the time
// SetWindowTextA needs for notes of megabytes, and no copy of the whole text
// is made. A view that runs out of room keeps only part of the note, so the
// view's length is checked afterwards.
#pragma once

#include <functional>
#include <string_view>

#include <windows.h>

#include "crypto/note_format.h"

// The start of text up to at most maxBytes that ends on a character boundary
// and does not split a "\r\n", which the view must see as one line break.
// Never empty while text is not: when maxBytes holds not even the first
// character, that character is the piece.
std::string_view NextPiece(std::string_view text, std::size_t maxBytes, TextEncoding encoding);

// How far a fill is: bytes of the text given to the view, of all.
using FillProgress = std::function<void(std::size_t done, std::size_t total)>;

// The characters text becomes in the view: UTF-16 units, each line break
// one paragraph mark.
std::size_t ViewCharacters(std::string_view text, TextEncoding encoding);

// Replaces the view's text with text: undo history empty, caret at the start.
// progress, when given, is called after each piece. False when the view
// holds less than the whole text, and at once, leaving the view as it was,
// when the text is beyond the view's limit.
bool FillView(HWND view, std::string_view text, TextEncoding encoding, const FillProgress& progress = {});
