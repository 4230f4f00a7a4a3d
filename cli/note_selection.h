// Which kind of note a command works on. A file holds one kind; one that
// holds both (written by something else) is read only with the kind named
// by --format.
#pragma once

#include <string>
#include <string_view>

#include "note/note_image.h"

// The format --format names ("legacy" or "modern"); null for another name.
const NoteFormat* NoteFormatNamed(std::string_view name);
// The name --format gives format.
std::string NoteFormatName(const NoteFormat& format);
// Every name --format takes, for a message.
std::string NoteFormatNames();

// image narrowed to the kind of note it holds, or to the kind named (an
// empty name names none). Throws NoteError when it holds both and none is
// named, or when it holds a note but not of the kind named.
NoteImage SelectNote(const NoteImage& image, const std::string& named);
