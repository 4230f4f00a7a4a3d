// Which characters of a UTF-16 text a note's encoding cannot hold. In code
// page 936, where the legacy format stores it, each of them would become
// "?"; a character that the system would turn into a look-alike (a best
// fit) counts as one it cannot hold.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "crypto/note_format.h"

struct UnfitCharacters {
    // Characters, not UTF-16 units: a surrogate pair is one character, and
    // so is a surrogate without its partner.
    std::size_t count = 0;
    // The first of them, as its one or two UTF-16 units; empty when none.
    std::wstring first;
    // Where it starts in UTF-16 units, the rich edit control's positions.
    std::size_t firstOffset = 0;
    // Its line and column, both counted from 1, the column in characters.
    // "\r", "\n" and "\r\n" each end a line.
    std::size_t line = 0;
    std::size_t column = 0;
};

UnfitCharacters FindUnfitCharacters(TextEncoding encoding, std::wstring_view text);
